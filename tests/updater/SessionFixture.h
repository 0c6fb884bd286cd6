#pragma once
// An update session with a program folder and a documents folder of its
// own, downloading from the service stand-in's update host, with the prompt,
// the message boxes and program starts recorded instead of shown or run.

#include "platform/Shell.h"
#include "tests/support/TempDir.h"
#include "tools/standin/StandIn.h"
#include "updater/UpdateSession.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <filesystem>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace patchwell::testing {

// A manifest for the stand-in to serve (texts UTF-8; "{HOST}" becomes the
// stand-in's host).
struct ManifestSpec {
    std::string updateCode = "2";
    std::string module = "5";
    std::string type = "2";
    std::string mainVer = "1.01.0120";
    std::string patchVer = "3";
    std::string status = "0";
    std::string mainFile;   // request path
    std::string patchFile;  // request path
    std::string mainMd5;
    std::string patchMd5;
    std::string mainSha256;   // the "sha256" attribute of mainfile; none when empty
    std::string patchSha256;  // of patchfile
    std::string localFile;
    std::string downRetry = "0";
    std::string targetFile;  // request path; no element when empty
    std::vector<std::pair<std::string, std::string>> notes;  // patchfrom, content

    // The stand-in's manifest of a product, as these fields.
    static ManifestSpec ForProduct(const standin::St_Product& product);
    // The GBK document; addresses on `host`.
    std::string Document(const std::string& host) const;
};

struct RecordedMessage {
    std::string text;  // CP936
    std::string caption;
    bool errorIcon = false;
};

class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The session of this "process"; a new one stands for the next start.
    UpdateSession& NewSession();
    UpdateSession& Session() { return *m_session; }
    SessionEnvironment Environment();

    // The stand-in's product of a project code.
    const standin::St_Product& Product(int code) const;
    // Serves `spec` at the product's manifest path.
    void ServeManifest(int code, const ManifestSpec& spec);
    // Points the library's hosts elsewhere (e.g. a closed port).
    void WriteHosts(const std::string& update, const std::string& gamePatch);

    // Runs the event loop until neither poll is active (bounded).
    bool WaitUntilQuiet(int timeoutMs = 30000);
    // CheckUpdate for project `code` with the stand-in's update code.
    int Check(int code, const char* version, int updateCode = 2);

    std::filesystem::path WorkPath(const std::string& name) const { return m_session->Folder().Path() / name; }
    std::filesystem::path InstallerPath() const { return programFolder / kInstallerName; }
    std::vector<tonvik::platform::ShellRequest> Started() const;
    std::vector<PromptRequest> Prompts() const;
    std::vector<RecordedMessage> Messages() const;
    std::vector<std::string> Traces() const;
    bool HasTrace(const std::string& part) const;
    // Writes a manifest into the work folder of project `code`.
    void WriteWorkManifest(int code, const std::string& name, const ManifestSpec& spec);
    // The fetched manifest of project `code`'s product as the pending one,
    // and a local one like it in state `status`; returns the local one.
    ManifestSpec WriteWorkManifests(int code, const std::string& status);
    // The work folder project `code` gets.
    std::filesystem::path WorkFolderOf(int code) const;

    TempDir root;
    std::filesystem::path programFolder;
    std::filesystem::path documentsRoot;
    standin::CStandIn standIn;
    std::deque<int> answers;   // the prompt's results in turn; 3 (install now) when empty
    bool startSucceeds = true;
    std::chrono::milliseconds settleWait{0};  // the library's pauses
    std::function<void(const PromptRequest&)> onPrompt;  // runs while the prompt would be shown
    CreationTimeQuery creationTime;
    std::optional<std::vector<UpdateKey>> trustedKeys;  // the build's when unset
    bool selfUpdate = true;

private:
    mutable std::mutex m_lock;
    std::vector<tonvik::platform::ShellRequest> m_started;
    std::vector<PromptRequest> m_prompts;
    std::vector<RecordedMessage> m_messages;
    std::vector<std::string> m_traces;
    std::unique_ptr<UpdateSession> m_session;
};

}  // namespace patchwell::testing
