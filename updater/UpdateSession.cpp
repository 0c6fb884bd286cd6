#include "updater/UpdateSession.h"

#include "platform/AtomicFile.h"
#include "platform/Executable.h"
#include "platform/FileTimes.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "updater/Digest.h"
#include "updater/Gbk.h"
#include "updater/PatchwellTrace.h"
#include "updater/ProjectTable.h"
#include "updater/SignedManifest.h"
#include "updater/UpdateHosts.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace patchwell {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoFilesFound = "No text files found.\n";
constexpr const char* kEnumerationDone = "Copied all text files.\n";
constexpr const char* kEnumerationFailed = "Could not find next file.\n";

bool Exists(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A note's text with its written line breaks ("\" "n") made real ones.
std::string NoteText(std::string_view content) {
    std::string text;
    text.reserve(content.size());
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\\' && i + 1 < content.size() && content[i + 1] == 'n') {
            text += "\r\n";
            ++i;
        } else {
            text += content[i];
        }
    }
    return text;
}

void Trace(const std::string& text) { TraceOut(text + "\n"); }

// Moves a finished download into place, copying when renaming is refused
// (the copy replaces the old file whole, too).
bool MoveReplacing(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec) return true;
    if (!tonvik::platform::CopyFileAtomically(from, to)) return false;
    fs::remove(from, ec);
    return true;
}

}  // namespace

bool SelfUpdateBuild() {
#if defined(PATCHWELL_SELF_UPDATE) && !PATCHWELL_SELF_UPDATE
    return false;
#else
    return true;
#endif
}

SessionEnvironment SessionEnvironment::ForThisProgram() {
    SessionEnvironment environment;
    environment.programFolder = [] { return tonvik::platform::ProgramFolder(); };
    environment.documentsRoot = tonvik::platform::UserDataFolder();
    environment.creationTime = [](const fs::path& path) { return tonvik::platform::FileCreationLocalTime(path); };
    return environment;
}

UpdateSession::UpdateSession(SessionEnvironment environment)
    : m_env(std::move(environment)),
      m_document(std::make_unique<ManifestDocument>()),
      m_downloader(MakeHttpDownloader()) {
    if (!m_env.programFolder) m_env.programFolder = [] { return tonvik::platform::ProgramFolder(); };
    if (!m_env.creationTime) {
        m_env.creationTime = [](const fs::path& path) { return tonvik::platform::FileCreationLocalTime(path); };
    }
    Reinitialise();
}

UpdateSession::~UpdateSession() {
    DisposeTimer(m_manifestPoll);
    DisposeTimer(m_packagePoll);
    DisposeTimer(m_installPause);
}

// ---------------------------------------------------------------------------
// Initialisation

void UpdateSession::Reinitialise() {
    m_programFolder.clear();
    m_hostUpdateCode = 0;
    m_pendingPath.clear();
    m_localPath.clear();
    m_signaturePath.clear();
    // Records of the project before must not pass for this one's.
    m_pending = DownloadUpdateInfo();
    m_local = DownloadUpdateInfo();

    m_programFolder = m_env.programFolder();
    m_workFolder = WorkFolder::Compute(m_programFolder, ProjectFor(m_projectCode).module, m_env.documentsRoot);

    bool enumerationOk = true;
    UnlockManifests(enumerationOk);
    if (!enumerationOk) return;

    m_pendingPath = m_workFolder.PendingManifest();
    m_localPath = m_workFolder.LocalManifest();
    m_signaturePath = m_pendingPath.string() + kSignatureSuffix;

    std::error_code ec;
    fs::create_directories(m_programFolder / "Update", ec);
    if (ec || !fs::is_directory(m_programFolder / "Update", ec)) TraceOut("Could not create new directory.\n");

    if (Exists(m_pendingPath)) LoadInto(m_pendingPath, m_pending);
    if (Exists(m_localPath)) LoadInto(m_localPath, m_local);
    // What a save or a join killed on the way left behind.
    m_workFolder.RemoveLeftTemporaries(m_local.mstrLocalFile);
}

void UpdateSession::UnlockManifests(bool& enumerationOk) {
    enumerationOk = true;
    int manifests = 0;
    int backups = 0;
    std::error_code ec;
    if (fs::is_directory(m_workFolder.Path(), ec)) {
        for (fs::directory_iterator it(m_workFolder.Path(), ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (EndsWith(name, ".bk")) ++backups;
            if (!EndsWith(name, ".xml")) continue;
            ++manifests;
            std::error_code statusError;
            const auto status = it->symlink_status(statusError);
            if (statusError) {
                enumerationOk = false;
                return;
            }
            if (fs::is_regular_file(status)) {
                fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                                statusError);
            }
        }
        if (ec) {
            TraceOut(kEnumerationFailed);
            enumerationOk = false;
            return;
        }
    }
    TraceOut(manifests == 0 ? kNoFilesFound : kEnumerationDone);
    if (backups == 0) TraceOut(kNoFilesFound);
}

bool UpdateSession::LoadInto(const fs::path& file, DownloadUpdateInfo& record) {
    if (LoadManifestIn(*m_document, m_workFolder, file) != kManifestLoaded) return false;
    record = m_document->Record();
    return true;
}

bool UpdateSession::SaveLocal(int option) {
    if (m_localPath.empty() || m_document->Load(m_localPath) != kManifestLoaded) return false;
    DownloadUpdateInfo& record = m_document->Record();
    record.mstrType = m_local.mstrType;
    record.mstrUpdateStatus = m_local.mstrUpdateStatus;
    record.mstrPatchVer = m_local.mstrPatchVer;
    record.mstrDownRetry = m_local.mstrDownRetry;
    record.mstrFileTime = m_local.mstrFileTime;
    record.mstrTargetFile = m_local.mstrTargetFile;
    return m_document->Save(option) == 0;
}

// ---------------------------------------------------------------------------
// Exports

int UpdateSession::SetPrjCode(int projectCode) {
    m_projectCode = projectCode;
    Reinitialise();
    return 47;
}

int UpdateSession::CheckUpdate(int* hostUpdateCode, const char* version, int projectCode) {
    if (SelfUpdateOff("CheckUpdate")) return 0;
    m_hostUpdateCode = hostUpdateCode ? *hostUpdateCode : 0;
    m_hostVersion = version ? version : "";
    m_projectCode = projectCode;
    const ProjectEntry& project = ProjectFor(projectCode);
    if (project.host != ManifestHost::None) {
        const UpdateHosts hosts = ReadUpdateHosts(m_programFolder);
        m_manifestLocation =
            HostAddress(project.host == ManifestHost::GamePatch ? hosts.gamePatch : hosts.update, project.path);
    }
    try {
        m_hostVersionParts = SplitVersion(m_hostVersion);
        // A release set aside leaves nothing pending: a newer one is looked for.
        SetAsideNeverInstalled("CheckUpdate");
        const int status = ReadInteger(m_local.mstrUpdateStatus);
        if (status == 2) {
            if (ReadInteger(m_pending.mstrUpdateCode) < m_hostUpdateCode) {
                RunUpdateCheck();
            } else {
                DownloadSetupFile(0, 2);
            }
            return 1;
        }
        if (status == 1) return 0;
        RunUpdateCheck();
        return 1;
    } catch (const UpdateError& error) {
        Trace("CheckUpdate : " + error.text);
    } catch (const std::exception& error) {
        Trace(std::string("CheckUpdate : ") + error.what());
    }
    ClearWorkFolder();
    return 0;
}

bool UpdateSession::RunUpdateCheck() {
    if (ReadInteger(m_local.mstrUpdateCode) < m_hostUpdateCode) {
        FetchManifest();
        return true;
    }
    if (ReadInteger(m_pending.mstrUpdateCode) != m_hostUpdateCode) return false;
    if (ReadInteger(m_local.mstrUpdateStatus) != 2) return false;
    if (const auto kind = NewerPackage()) DownloadSetupFile(0, *kind);
    return true;
}

int UpdateSession::CheckNewSetup() { return ReadInteger(m_local.mstrUpdateStatus); }

// ---------------------------------------------------------------------------
// Downloads

void UpdateSession::FetchManifest() {
    if (m_pendingPath.empty()) throw std::runtime_error("no work folder for the manifest");
    ForgetPlan();
    // The work folder exists once a seed was copied; a host that never had
    // one gets it here.
    std::error_code ec;
    fs::create_directories(m_workFolder.Path(), ec);
    m_downloader->SetTag(0);
    // Flags of an earlier download must not be taken for this one's, nor a
    // signature or a partial file left from an earlier fetch: the signature
    // must be of exactly the bytes fetched now.
    m_downloader->ResetFlags();
    for (const fs::path& stale : {m_signaturePath, fs::path(TemporaryPathFor(m_signaturePath.string())),
                                  fs::path(TemporaryPathFor(m_pendingPath.string()))}) {
        RemoveFile(stale);
    }
    // The signature first: a manifest that arrived clears the failed flag of
    // a signature that did not, so the poll tells the two apart by the
    // signature file alone.
    if (!m_downloader->AddTask(DownloadTask::Make(m_manifestLocation + kSignatureSuffix, m_signaturePath.string())) ||
        !m_downloader->AddTask(DownloadTask::Make(m_manifestLocation, m_pendingPath.string()))) {
        throw std::runtime_error("the manifest path does not fit a download task: " + m_pendingPath.string());
    }
    m_downloader->Start();
    StartPoll(m_manifestPoll, m_env.manifestPollInterval, &UpdateSession::ManifestPoll);
}

int UpdateSession::DownloadSetupFile(int deleteFirst, int kind) {
    std::lock_guard guard(m_lock);
    if (SelfUpdateOff("DownloadSetupFile")) return 0;
    m_downloader->SetTag(1);
    if (kind == 0) {
        m_local.mstrTargetFile = m_local.mstrMainFile;
    } else if (kind == 1) {
        m_local.mstrTargetFile = m_local.mstrPatchFile;
    }
    PlanCurrentTarget();

    if (!IsPlainFileName(m_downloadName)) throw std::runtime_error("bad download name " + m_downloadName);
    const fs::path download = m_workFolder.TempFolder() / m_downloadName;
    std::error_code ec;
    fs::create_directories(download.parent_path(), ec);
    // This download replaces one still waiting for its pause.
    m_pausedDownload.reset();
    DownloadTask task = DownloadTask::Make(m_local.mstrTargetFile, download.string());
    if (deleteFirst) {
        fs::remove(download, ec);
        if (m_env.settleWait.count() > 0) {
            // The file system gets a moment before the file is written
            // again. The caller's thread goes on meanwhile; the package
            // poll's first tick starts the download.
            m_pausedDownload = std::move(task);
            StartPoll(m_packagePoll, m_env.settleWait, &UpdateSession::PackagePoll);
            return 0;
        }
    }
    QueueDownload(task);
    return 0;
}

void UpdateSession::QueueDownload(const DownloadTask& task) {
    m_downloader->ResetFlags();
    if (!m_downloader->AddTask(task)) {
        throw std::runtime_error("the download path does not fit a download task: " + task.localPath);
    }
    m_downloader->Start();
    StartPoll(m_packagePoll, m_env.packagePollInterval, &UpdateSession::PackagePoll);
}

void UpdateSession::PlanCurrentTarget() {
    const PlannedTarget planned = PlanTarget(m_local.mstrTargetFile, m_local.mstrLocalFile, m_range, m_parts);
    m_local.mstrTargetFile = planned.target;
    m_downloadName = planned.downloadName;
    if (!SaveLocal(kSaveWithTargetFile)) {
        ClearWorkFolder();
        throw UpdateError{Gbk("升级失败！请确保 ") + Gbk(m_localPath.string()) + Gbk(" 文件有可写权限。")};
    }
}

void UpdateSession::ReplanFromPackageAddress() {
    // A download resumed in a new process has not compared versions yet.
    if (m_updateKind != kUpdateMainVersion && m_updateKind != kUpdatePatch) {
        if (CompareMainVersion(m_pending.mstrMainVer, m_hostVersionParts, m_updateKind) == 0) {
            ComparePatch(m_local.mstrPatchVer, m_pending.mstrPatchVer, m_updateKind);
        }
    }
    if (m_updateKind == kUpdateMainVersion) {
        m_local.mstrTargetFile = m_local.mstrMainFile;
        PlanCurrentTarget();
    } else if (m_updateKind == kUpdatePatch) {
        m_local.mstrTargetFile = m_local.mstrPatchFile;
        PlanCurrentTarget();
    }
}

std::optional<int> UpdateSession::NewerPackage() {
    const int main = CompareMainVersion(m_pending.mstrMainVer, m_hostVersionParts, m_updateKind);
    if (main == 1) return kPackageMain;
    if (main == 0 && ComparePatch(m_local.mstrPatchVer, m_pending.mstrPatchVer, m_updateKind) == 1) return kPackagePatch;
    return std::nullopt;
}

void UpdateSession::DownloadNewerOrClear() {
    if (const auto kind = NewerPackage()) DownloadSetupFile(1, *kind);
    else ClearWorkFolder();
}

void UpdateSession::ManifestPoll() {
    std::lock_guard guard(m_lock);
    try {
        // The signature and the manifest are both in once the engine has
        // gone idle, which has then published every flag it is going to.
        if (!m_downloader->WaitUntilIdle(std::chrono::milliseconds(0))) return;
        StopPoll(m_manifestPoll);
        const bool fetched = m_downloader->IsManifestDone();
        const bool failed = m_downloader->IsFailed();
        m_downloader->ResetFlags();
        if (!fetched) {
            RemoveFile(m_signaturePath);
            Trace(failed ? "ManifestPoll : download failed " + m_downloader->LastErrorText()
                         : "ManifestPoll : the download ended without a file (disk full?)");
            return;
        }

        // Nothing of the manifest is read before its signature is found good.
        const SignatureCheck signature = CheckManifestFiles(m_pendingPath, m_signaturePath, m_env.trustedKeys);
        if (signature.verdict != SignatureVerdict::Good) {
            FailUpdate("ManifestPoll", std::string("the manifest has ") + RefusalText(signature.verdict) +
                                           ": update refused");
            return;
        }
        Trace("ManifestPoll : the manifest is signed by update key " + std::to_string(signature.keyNumber));
        if (!LoadInto(m_pendingPath, m_pending)) {
            Trace("ManifestPoll : the fetched manifest is unusable");
            return;
        }
        if (const auto reason = DowngradeReason(m_pending, m_local, m_hostVersion)) {
            FailUpdate("ManifestPoll", "the manifest's " + *reason + ", no downgrade: update refused");
            return;
        }

        bool copied = false;
        if (!Exists(m_localPath)) copied = tonvik::platform::CopyFileAtomically(m_pendingPath, m_localPath);
        DownloadUpdateInfo loadedLocal;
        const bool localLoaded = Exists(m_localPath) && LoadInto(m_localPath, loadedLocal);
        if (copied && localLoaded) {
            m_local = loadedLocal;
            m_local.mstrPatchVer = "0";
        }
        m_local.mstrModule = m_pending.mstrModule;
        m_local.mstrType = m_pending.mstrType;
        m_local.mstrMainFile = m_pending.mstrMainFile;
        m_local.mstrPatchFile = m_pending.mstrPatchFile;
        m_local.mstrUpdateStatus = "2";
        SaveLocal(kSaveWithFileTime);

        if (ReadInteger(m_pending.mstrModule) != m_projectCode) {
            Trace("ManifestPoll : the manifest is for module " + m_pending.mstrModule);
            DeleteManifests();
            return;
        }
        if (SetAsideNeverInstalled("ManifestPoll")) return;
        DownloadNewerOrClear();
    } catch (const UpdateError& error) {
        StopPoll(m_manifestPoll);
        HandlePollError(error);
    } catch (const std::exception& error) {
        StopPoll(m_manifestPoll);
        Trace(std::string("ManifestPoll : ") + error.what());
        ClearWorkFolder();
    }
}

void UpdateSession::PackagePoll() {
    std::lock_guard guard(m_lock);
    try {
        if (m_pausedDownload) {
            const DownloadTask task = std::move(*m_pausedDownload);
            m_pausedDownload.reset();
            QueueDownload(task);
            return;
        }
        const bool idle = m_downloader->WaitUntilIdle(std::chrono::milliseconds(0));
        if (m_downloader->IsFailed()) {
            StopPoll(m_packagePoll);
            Trace("PackagePoll : download failed " + m_downloader->LastErrorText());
            m_downloader->ResetFlags();
            if (m_restarts <= 3) {
                ++m_restarts;
                DownloadSetupFile(0, 0);
            }
            return;
        }
        if (m_downloader->IsPackageDone()) {
            StopPoll(m_packagePoll);
            m_downloader->ResetFlags();
            if (OnPackageDone()) CompleteDownload();
            return;
        }
        if (idle) {
            StopPoll(m_packagePoll);
            m_downloader->ResetFlags();
            Trace("PackagePoll : the download ended without a file (disk full?)");
        }
    } catch (const UpdateError& error) {
        StopPoll(m_packagePoll);
        HandlePollError(error);
    } catch (const std::exception& error) {
        StopPoll(m_packagePoll);
        Trace(std::string("PackagePoll : ") + error.what());
        ClearWorkFolder();
    }
}

void UpdateSession::HandlePollError(const UpdateError& error) {
    Trace("UpdatePoll : " + error.text);
    ShowMessage(error.text, true);
}

bool UpdateSession::OnPackageDone() {
    if (m_range.Exists() && m_range.first != m_range.last) {
        if (!m_parts.empty()) m_parts.erase(m_parts.begin());
        DownloadNewerOrClear();
        return false;
    }
    const bool placed = PlacePackage();
    ForgetPlan();
    return placed;
}

void UpdateSession::ForgetPlan() {
    m_parts.clear();
    m_range = PartRange{};
}

bool UpdateSession::PlacePackage() {
    m_parts.clear();
    const bool joining = m_range.Exists();
    ReplanFromPackageAddress();
    const fs::path package = PackagePath();
    if (package.empty()) {
        Trace("PackagePoll : no usable local file name");
        ClearWorkFolder();
        return false;
    }
    if (joining) {
        const JoinResult joined = JoinParts(package, m_workFolder.TempFolder(), m_parts, m_env.creationTime);
        if (!joined.joined) {
            Trace("JoinParts : " + joined.error);
            DeleteManifests();
            return false;
        }
    } else if (!MoveReplacing(m_workFolder.TempFolder() / m_downloadName, package)) {
        Trace("PackagePoll : cannot move the package into place " + package.string());
    }
    return true;
}

// ---------------------------------------------------------------------------
// Verification and installation

fs::path UpdateSession::PackagePath() const {
    return m_workFolder.FileFor(m_local.mstrLocalFile).value_or(fs::path());
}

bool UpdateSession::VerifyPackage() {
    const auto kind = NewerPackage();
    if (!kind) {
        Trace("VerifyPackage : nothing newer to install");
        ClearWorkFolder();
        return false;
    }
    const bool main = *kind == kPackageMain;
    const std::string& md5 = main ? m_pending.mstrMainFileMd5 : m_pending.mstrPatchFileMd5;
    const std::string& sha256 = main ? m_pending.mstrMainFileSha256 : m_pending.mstrPatchFileSha256;
    const fs::path package = PackagePath();
    if (sha256.empty()) {
        FailUpdate("VerifyPackage", "the manifest gives no SHA-256 digest for the package " + package.string());
        return false;
    }
    const auto digests = package.empty() ? std::nullopt : DigestPackage(package);
    if (!digests || digests->md5 != md5) {
        FailUpdate("VerifyPackage", "the package does not match its digest " + package.string());
        return false;
    }
    if (!SameHexDigest(digests->sha256, sha256)) {
        FailUpdate("VerifyPackage", "the package does not match its SHA-256 digest " + package.string());
        return false;
    }
    return true;
}

void UpdateSession::FailUpdate(const char* operation, const std::string& reason) {
    Trace(std::string(operation) + " : " + reason);
    ClearWorkFolder();
    ClearTempFolder();
    m_pending = DownloadUpdateInfo();
    m_local = DownloadUpdateInfo();
    m_updateKind = kUpdateNone;
    ForgetPlan();
}

bool UpdateSession::SelfUpdateOff(const char* operation) const {
    if (m_env.selfUpdate) return false;
    Trace(std::string(operation) + " : self-update is off in this build: no update");
    return true;
}

int UpdateSession::ShowPrompt(const std::string& text, int installType) {
    const ProjectTexts texts = ProjectTextsFor(m_projectCode);
    PromptRequest request{text, installType, m_projectCode, texts.promptCaption, texts.promptHeader, m_promptResult};
    if (m_env.prompt) m_promptResult = m_env.prompt(request);
    return m_promptResult;
}

void UpdateSession::ShowMessage(const std::string& text, bool errorIcon) {
    if (m_env.message) m_env.message(text, ProjectTextsFor(m_projectCode).messageCaption, errorIcon);
}

bool UpdateSession::StartInstaller(const char* mode) {
    const fs::path installer = m_programFolder / kInstallerName;
    return tonvik::platform::StartProgram(installer, {mode, std::to_string(m_projectCode)}, m_programFolder);
}

bool UpdateSession::SetAsideNeverInstalled(const char* operation) {
    if (ReadInteger(m_local.mstrType) < kFirstNeverInstalledType || ReadInteger(m_local.mstrUpdateStatus) == 0) {
        return false;
    }
    Trace(std::string(operation) + " : install type " + m_local.mstrType + " is never installed");
    m_local.mstrUpdateStatus = "0";
    SaveLocal(kSavePlain);
    RemoveFile(PackagePath());
    return true;
}

void UpdateSession::CompleteDownload() {
    if (!VerifyPackage()) return;
    m_local.mstrUpdateStatus = "1";
    SaveLocal(kSaveWithFileTime);

    const std::string module = ProjectTextsFor(m_projectCode).module;
    const int type = ReadInteger(m_local.mstrType);
    if (type <= 9) {
        if (m_updateKind == kUpdatePatch) {
            const int installed = ReadInteger(m_local.mstrPatchVer);
            const size_t notes = std::min(m_pending.mlstPatchFrom.size(), m_pending.mlstContent.size());
            bool shown = false;
            for (size_t i = 0; i < notes; ++i) {
                if (ReadInteger(m_pending.mlstPatchFrom[i]) != installed) continue;
                ShowPrompt(NoteText(m_pending.mlstContent[i]), type);
                shown = true;
            }
            if (!shown) ShowPrompt(Gbk("未找到合适的升级补丁信息"), type);
        } else if (m_updateKind == kUpdateMainVersion) {
            ShowPrompt(Gbk("主版本升级"), type);
        }
        if (m_promptResult == kPromptNextStart) {
            m_local.mstrType = "10";
            SaveLocal(kSavePlain);
        }
    }

    if (type == 4) {
        m_local.mstrType = "4";
        SaveLocal(kSavePlain);
        if (!StartInstaller("installnoexit")) {
            ShowMessage(Gbk("不退出安装，运行Up_date.exe失败！"), false);
            RemoveFile(m_localPath);
        }
    } else if (type <= 9 && (m_promptResult == kPromptForced || m_promptResult == kPromptInstallNow)) {
        // Types 10 and above never act on a result left from an earlier prompt.
        m_local.mstrType = "10";
        SaveLocal(kSavePlain);
        if (Exists(PackagePath())) {
            if (!StartInstaller("install")) {
                ShowMessage(Gbk("升级失败，升级文件损毁，请重新安装") + module + Gbk("安装包！"), false);
                RemoveFile(m_localPath);
            }
        } else {
            ShowMessage(Gbk("升级失败，请重启") + module + Gbk("进行升级！"), true);
        }
    }

    if (type == 11) {
        m_local.mstrType = "11";
        SaveLocal(kSavePlain);
    } else if (type == 10) {
        m_local.mstrType = "10";
        SaveLocal(kSavePlain);
    }
}

int UpdateSession::SetupNewVersion() {
    if (SelfUpdateOff("SetupNewVersion")) return 0;
    if (!Exists(m_pendingPath) && !Exists(m_localPath)) {
        m_programFolder = m_env.programFolder();
        m_workFolder.CopySeed(m_programFolder);
    }
    if (SetAsideNeverInstalled("SetupNewVersion")) return 0;
    const int type = ReadInteger(m_local.mstrType);
    const int status = ReadInteger(m_local.mstrUpdateStatus);
    if (status == 0) {
        DeleteInstallers();
        return 0;
    }
    if (status == 1 && type >= 1 && type <= 11) {
        const fs::path package = PackagePath();
        std::error_code ec;
        if (Exists(package) && fs::file_size(package, ec) > 0 && !ec) return VerifyPackage() ? 1 : 0;
        ClearWorkFolder();
        return 0;
    }
    return 0;
}

int UpdateSession::InstallFile(int launch) {
    if (SelfUpdateOff("InstallFile")) return launch == 1 ? 0 : 1;
    const int retries = ReadInteger(m_local.mstrDownRetry);
    if (retries < 2) {
        m_local.mstrDownRetry = std::to_string(retries + 1);
        SaveLocal(kSavePlain);
        return RunPackage(launch, true);
    }
    // The third attempt gives the package up. What is left to do follows a
    // pause, from a timer, so the caller's thread goes on meanwhile; with the
    // package gone, nothing can be launched.
    RemoveFile(m_localPath);
    RemoveFile(PackagePath());
    if (m_env.settleWait.count() > 0) {
        m_pausedLaunch = launch;
        StartPoll(m_installPause, m_env.settleWait, &UpdateSession::InstallPauseEnded);
    } else {
        RunPackage(launch, false);
    }
    return launch == 1 ? 0 : 1;
}

void UpdateSession::InstallPauseEnded() {
    std::lock_guard guard(m_lock);
    StopPoll(m_installPause);
    try {
        RunPackage(m_pausedLaunch, false);
    } catch (const UpdateError& error) {
        Trace("InstallFile : " + error.text);
    } catch (const std::exception& error) {
        Trace(std::string("InstallFile : ") + error.what());
    }
}

int UpdateSession::RunPackage(int launch, bool mayStart) {
    std::vector<std::string> arguments;
    std::string prefix = "fullpath=";
    size_t prefixLength = prefix.size();
    if (ReadInteger(m_local.mstrType) == 11) {
        CompleteSetup(0);
        arguments.push_back("/S");
        prefixLength += 3;  // "/S "
    }
    const std::string folder = m_programFolder.string();
    if (folder.size() > 259 - prefixLength) {
        ShowMessage(Gbk("路径过长！"), false);
        arguments.push_back(prefix);
    } else {
        arguments.push_back(prefix + folder);
    }

    if (launch != 1) return 1;
    if (!VerifyPackage() || !mayStart) return 0;
    const fs::path package = PackagePath();
    // A package arrives from its download without the right to run; it gets
    // it only now that it matched its digest.
    if (!tonvik::platform::MakeRunnable(package)) {
        Trace("InstallFile : cannot make the package runnable " + package.string());
    }
    if (!tonvik::platform::StartProgram(package, arguments, m_programFolder)) {
        Trace("InstallFile : cannot start the package " + package.string());
        RemoveFile(m_localPath);
        RemoveFile(m_pendingPath);
    }
    return 1;
}

int UpdateSession::CompleteSetup(int) {
    fs::path chosen;
    bool seeded = false;
    if (Exists(m_pendingPath)) {
        chosen = m_pendingPath;
    } else if (Exists(m_localPath)) {
        return 0;
    } else {
        m_workFolder.CopySeed(m_env.programFolder());
        chosen = m_localPath;
        seeded = true;
    }
    DownloadUpdateInfo record;
    if (chosen.empty() || !LoadInto(chosen, record)) return 0;
    m_pending = record;
    m_pending.mstrUpdateStatus = "0";
    m_document->Record() = m_pending;
    m_document->Save(kSaveWithFileTime);
    if (!seeded) {
        if (!tonvik::platform::CopyFileAtomically(m_pendingPath, m_localPath)) {
            Trace("CompleteSetup : cannot write " + m_localPath.string());
            return 0;
        }
    }
    // The local manifest is now the installed release's.
    m_local = m_pending;
    return 1;
}

// ---------------------------------------------------------------------------
// Files

void UpdateSession::RemoveFile(const fs::path& file) {
    if (file.empty()) return;
    std::error_code ec;
    fs::remove(file, ec);
}

void UpdateSession::DeleteManifests() {
    RemoveFile(m_pendingPath);
    RemoveFile(m_localPath);
}

namespace {

// Deletes the files directly in `folder` whose names end in `suffix` (all
// files for an empty suffix); folders stay. With `traced`, what it found
// goes to the trace.
void DeleteFilesIn(const fs::path& folder, std::string_view suffix, bool traced = true) {
    std::error_code ec;
    int found = 0;
    if (fs::is_directory(folder, ec)) {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code entryError;
            if (fs::is_directory(it->symlink_status(entryError))) continue;
            if (!EndsWith(it->path().filename().string(), suffix)) continue;
            ++found;
            fs::remove(it->path(), entryError);
        }
        if (ec) {
            if (traced) TraceOut(kEnumerationFailed);
            return;
        }
    }
    if (traced) TraceOut(found == 0 ? kNoFilesFound : kEnumerationDone);
}

}  // namespace

void UpdateSession::ClearWorkFolder() { DeleteFilesIn(m_workFolder.Path(), ""); }

void UpdateSession::ClearTempFolder() { DeleteFilesIn(m_workFolder.TempFolder(), "", false); }

void UpdateSession::DeleteInstallers() { DeleteFilesIn(m_workFolder.Path(), ".exe"); }

// ---------------------------------------------------------------------------
// Polls

void UpdateSession::StartPoll(std::unique_ptr<QTimer>& timer, std::chrono::milliseconds interval,
                              void (UpdateSession::*tick)()) {
    // A timer only runs on the thread that made it; this call's thread runs
    // the polls from now on.
    if (timer && timer->thread() != QThread::currentThread()) DisposeTimer(timer);
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, tick] { (this->*tick)(); });
    }
    timer->start(interval);
}

void UpdateSession::StopPoll(std::unique_ptr<QTimer>& timer) {
    if (timer && timer->thread() == QThread::currentThread()) timer->stop();
}

void UpdateSession::DisposeTimer(std::unique_ptr<QTimer>& timer) {
    if (!timer) return;
    if (timer->thread() == QThread::currentThread()) {
        timer.reset();
        return;
    }
    // Its own thread may still be running it: without its connection it
    // never calls into the session again, and it is deleted over there.
    QObject::disconnect(timer.get(), nullptr, nullptr, nullptr);
    timer.release()->deleteLater();
}

bool UpdateSession::IsManifestPollActive() const { return m_manifestPoll && m_manifestPoll->isActive(); }

bool UpdateSession::IsPackagePollActive() const { return m_packagePoll && m_packagePoll->isActive(); }

}  // namespace patchwell
