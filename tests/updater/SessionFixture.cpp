#include "tests/updater/SessionFixture.h"

#include "updater/Gbk.h"
#include "updater/PatchwellTrace.h"
#include "updater/ProjectTable.h"
#include "updater/WorkFolder.h"

#include <QtTest/QTest>

#include <cstdio>
#include <fstream>

namespace patchwell::testing {

namespace fs = std::filesystem;

ManifestSpec ManifestSpec::ForProduct(const standin::St_Product& product) {
    ManifestSpec spec;
    spec.module = std::to_string(product.code);
    spec.mainFile = product.folder + product.mainFile;
    spec.patchFile = product.folder + product.patchBase + "01-03";
    spec.mainMd5 = product.mainMd5;
    spec.patchMd5 = product.patchMd5;
    spec.mainSha256 = product.mainSha256;
    spec.patchSha256 = product.patchSha256;
    spec.localFile = product.mainFile;
    return spec;
}

std::string ManifestSpec::Document(const std::string& host) const {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<update>\r\n";
    auto element = [&xml](const char* name, const std::string& value, const std::string& sha256 = {}) {
        const std::string attribute = sha256.empty() ? "" : " sha256=\"" + sha256 + "\"";
        xml += std::string("  <") + name + attribute + ">" + value + "</" + name + ">\r\n";
    };
    element("update_code", updateCode);
    element("module", module);
    element("type", type);
    element("main_ver", mainVer);
    element("patch_ver", patchVer);
    element("update_status", status);
    element("mainfile", "http://" + host + mainFile, mainSha256);
    element("patchfile", "http://" + host + patchFile, patchSha256);
    element("mainfile_md5", mainMd5);
    element("patchfile_md5", patchMd5);
    element("localfile", localFile);
    element("down_retry", downRetry);
    if (!targetFile.empty()) element("targetfile", "http://" + host + targetFile);
    for (const auto& [from, content] : notes) {
        xml += "  <hint><patchfrom>" + from + "</patchfrom><patchto>" + patchVer + "</patchto><content>" + content +
               "</content></hint>\r\n";
    }
    xml += "</update>\r\n";
    return Gbk(xml);
}

void SessionFixture::SetUp() {
    programFolder = root / "program";
    documentsRoot = root / "documents";
    fs::create_directories(programFolder);
    ASSERT_TRUE(standIn.Start()) << standIn.Error();
    WriteHosts(standIn.Host(), standIn.Host());
    tonvik::platform::SetShellRecorder([this](const tonvik::platform::ShellRequest& request) {
        std::lock_guard guard(m_lock);
        m_started.push_back(request);
        return startSucceeds;
    });
    SetTraceOutSink([this](std::string_view text) {
        std::lock_guard guard(m_lock);
        m_traces.emplace_back(text);
    });
}

void SessionFixture::TearDown() {
    m_session.reset();
    if (HasFailure()) {
        for (const auto& line : Traces()) std::fprintf(stderr, "trace: %s", GbkToUtf8(line).c_str());
        for (const auto& request : standIn.Requests()) std::fprintf(stderr, "request: %s\n", request.path.c_str());
    }
    tonvik::platform::SetShellRecorder(nullptr);
    SetTraceOutSink(nullptr);
    standIn.Stop();
}

SessionEnvironment SessionFixture::Environment() {
    SessionEnvironment environment;
    environment.programFolder = [this] { return programFolder; };
    environment.documentsRoot = documentsRoot;
    environment.prompt = [this](const PromptRequest& request) {
        if (onPrompt) onPrompt(request);
        std::lock_guard guard(m_lock);
        m_prompts.push_back(request);
        if (answers.empty()) return kPromptInstallNow;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    };
    environment.message = [this](const std::string& text, const std::string& caption, bool errorIcon) {
        std::lock_guard guard(m_lock);
        m_messages.push_back({text, caption, errorIcon});
    };
    environment.creationTime = creationTime;
    environment.manifestPollInterval = std::chrono::milliseconds(20);
    environment.packagePollInterval = std::chrono::milliseconds(20);
    environment.settleWait = settleWait;
    if (trustedKeys) environment.trustedKeys = *trustedKeys;
    environment.selfUpdate = selfUpdate;
    return environment;
}

UpdateSession& SessionFixture::NewSession() {
    m_session.reset();
    m_session = std::make_unique<UpdateSession>(Environment());
    return *m_session;
}

const standin::St_Product& SessionFixture::Product(int code) const {
    for (const auto& product : standIn.UpdateHost().Products()) {
        if (product.code == code) return product;
    }
    throw std::out_of_range("no product " + std::to_string(code));
}

void SessionFixture::ServeManifest(int code, const ManifestSpec& spec) {
    standIn.SetDocument(Product(code).manifestPath, spec.Document("{HOST}"));
}

void SessionFixture::WriteHosts(const std::string& update, const std::string& gamePatch) {
    std::ofstream ini(programFolder / "Patchwell.ini", std::ios::trunc);
    ini << "[Hosts]\nUpdate=" << update << "\nGamePatch=" << gamePatch << "\n";
}

bool SessionFixture::WaitUntilQuiet(int timeoutMs) {
    return QTest::qWaitFor(
        [this] { return !m_session->IsManifestPollActive() && !m_session->IsPackagePollActive(); }, timeoutMs);
}

int SessionFixture::Check(int code, const char* version, int updateCode) {
    int hostCode = updateCode;
    return m_session->CheckUpdate(&hostCode, version, code);
}

std::vector<tonvik::platform::ShellRequest> SessionFixture::Started() const {
    std::lock_guard guard(m_lock);
    return m_started;
}

std::vector<PromptRequest> SessionFixture::Prompts() const {
    std::lock_guard guard(m_lock);
    return m_prompts;
}

std::vector<RecordedMessage> SessionFixture::Messages() const {
    std::lock_guard guard(m_lock);
    return m_messages;
}

std::vector<std::string> SessionFixture::Traces() const {
    std::lock_guard guard(m_lock);
    return m_traces;
}

bool SessionFixture::HasTrace(const std::string& part) const {
    std::lock_guard guard(m_lock);
    for (const auto& line : m_traces) {
        if (line.find(part) != std::string::npos) return true;
    }
    return false;
}

fs::path SessionFixture::WorkFolderOf(int code) const {
    return WorkFolder::Compute(programFolder, ProjectFor(code).module, documentsRoot).Path();
}

ManifestSpec SessionFixture::WriteWorkManifests(int code, const std::string& status) {
    const ManifestSpec pending = ManifestSpec::ForProduct(Product(code));
    WriteWorkManifest(code, "Update.bk", pending);
    ManifestSpec local = pending;
    local.status = status;
    WriteWorkManifest(code, "Update.xml", local);
    return local;
}

void SessionFixture::WriteWorkManifest(int code, const std::string& name, const ManifestSpec& spec) {
    const fs::path folder = WorkFolderOf(code);
    fs::create_directories(folder);
    std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
    file << spec.Document(standIn.Host());
}

}  // namespace patchwell::testing
