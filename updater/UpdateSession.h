#pragma once
// The library's process-wide state and everything the exports do with it:
// the project, the two manifest records, the work folder, the download
// engine and its two polls, verification, the prompt and the hand-over to
// the external installer. The exports are a thin layer over one session.
//
// The polls are timers on the thread that started them and run only while
// that thread dispatches events. The recursive update lock serialises the
// polls and DownloadSetupFile; a poll may start a download while holding it.

#include "updater/DownloadUpdateInfo.h"
#include "updater/HttpDownloader.h"
#include "updater/ManifestDocument.h"
#include "updater/PartJoiner.h"
#include "updater/TargetPlan.h"
#include "updater/UpdateKeys.h"
#include "updater/VersionCompare.h"
#include "updater/WorkFolder.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace patchwell {

// What the update prompt is asked to show (texts in CP936).
struct PromptRequest {
    std::string text;
    int installType = 0;
    int projectCode = 0;
    std::string caption;
    std::string header;
    int previousResult = 0;
};

// The prompt's results.
inline constexpr int kPromptNextStart = 0;
inline constexpr int kPromptForced = 1;
inline constexpr int kPromptInstallNow = 3;

// The name of the external installer beside the host program.
inline constexpr const char* kInstallerName = "Up_date.exe";

// Install types from this one on are never installed.
inline constexpr int kFirstNeverInstalledType = 12;

// Whether this build updates itself (the TONVIK_SELF_UPDATE build option).
bool SelfUpdateBuild();

struct SessionEnvironment {
    // The host program's folder; asked again whenever the work folder is
    // computed.
    std::function<std::filesystem::path()> programFolder;
    // Where the "Velora" folder of work folders lives.
    std::filesystem::path documentsRoot;
    // Shows the update prompt modally and returns its result.
    std::function<int(const PromptRequest&)> prompt;
    // Shows a message box (texts in CP936).
    std::function<void(const std::string& text, const std::string& caption, bool errorIcon)> message;
    // When a part file was created.
    CreationTimeQuery creationTime;
    std::chrono::milliseconds manifestPollInterval{50};
    std::chrono::milliseconds packagePollInterval{1000};
    // The pause after deleting a file about to be downloaded again, and
    // after an installation gave up on a package. The calling thread goes on
    // meanwhile: the work continues from a timer.
    std::chrono::milliseconds settleWait{1000};
    // The keys whose signature a fetched manifest must carry.
    std::vector<UpdateKey> trustedKeys{CompiledInUpdateKeys().begin(), CompiledInUpdateKeys().end()};
    // Off: nothing is ever fetched or installed; every check answers "no update".
    bool selfUpdate = SelfUpdateBuild();

    // The running program's folder, the user's data folder, the file
    // system's creation times, no windows.
    static SessionEnvironment ForThisProgram();
};

// An error text (CP936) raised by a step and shown by the package poll.
struct UpdateError {
    std::string text;
};

class UpdateSession {
public:
    // Creates the state and runs the first initialisation (project 0).
    explicit UpdateSession(SessionEnvironment environment);
    ~UpdateSession();
    UpdateSession(const UpdateSession&) = delete;
    UpdateSession& operator=(const UpdateSession&) = delete;

    // The exports.
    int SetPrjCode(int projectCode);
    int CheckUpdate(int* hostUpdateCode, const char* version, int projectCode);
    int SetupNewVersion();
    int InstallFile(int launch);
    int CompleteSetup(int ignored);
    int CheckNewSetup();
    int DownloadSetupFile(int deleteFirst, int kind);

    // Inspection (tests, the export layer).
    int ProjectCode() const { return m_projectCode; }
    int HostUpdateCode() const { return m_hostUpdateCode; }
    const std::string& ManifestLocation() const { return m_manifestLocation; }
    const WorkFolder& Folder() const { return m_workFolder; }
    const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
    const DownloadUpdateInfo& PendingRecord() const { return m_pending; }
    const DownloadUpdateInfo& LocalRecord() const { return m_local; }
    int UpdateKind() const { return m_updateKind; }
    int RestartCount() const { return m_restarts; }
    int PromptResult() const { return m_promptResult; }
    const PartRange& Range() const { return m_range; }
    const std::vector<std::string>& Parts() const { return m_parts; }
    bool IsManifestPollActive() const;
    // Also while a download waits for its pause to end.
    bool IsPackagePollActive() const;
    HttpDownloader& Downloader() { return *m_downloader; }

private:
    void Reinitialise();
    void UnlockManifests(bool& enumerationOk);
    bool RunUpdateCheck();
    // The download kind of the package newer than what is installed (main
    // version first, then patch), or none; sets the update kind.
    static constexpr int kPackageMain = 0;
    static constexpr int kPackagePatch = 1;
    std::optional<int> NewerPackage();
    // Downloads that package afresh, or empties the work folder when there is none.
    void DownloadNewerOrClear();
    void FetchManifest();
    void ManifestPoll();
    void PackagePoll();
    bool OnPackageDone();
    // Joins the parts or moves the whole file into place; false when there
    // is no package to go on with.
    bool PlacePackage();
    // The part list and range belong to one package: a new one is planned afresh.
    void ForgetPlan();
    void QueueDownload(const DownloadTask& task);
    void CompleteDownload();
    // Sets a release aside whose install type says it is never installed:
    // the local state goes back to nothing pending and its package is
    // deleted. False when the local type is one to install.
    bool SetAsideNeverInstalled(const char* operation);
    bool VerifyPackage();
    // A refused manifest or package: traced, the work folder and its part
    // files emptied, and the records forgotten, so the next check starts
    // from the beginning.
    void FailUpdate(const char* operation, const std::string& reason);
    // True (and traced) when this build does not update itself.
    bool SelfUpdateOff(const char* operation) const;
    int ShowPrompt(const std::string& text, int installType);
    void ShowMessage(const std::string& text, bool errorIcon);
    void PlanCurrentTarget();
    void ReplanFromPackageAddress();
    bool StartInstaller(const char* mode);
    // The package's arguments, and with `launch` 1 its verification and
    // start (only when `mayStart`); InstallFile's result.
    int RunPackage(int launch, bool mayStart);
    void InstallPauseEnded();

    // Loads the local manifest into the document holder, writes the local
    // record's fields and saves with `option`. False when nothing was written.
    bool SaveLocal(int option);
    bool LoadInto(const std::filesystem::path& file, DownloadUpdateInfo& record);
    std::filesystem::path PackagePath() const;
    void ClearWorkFolder();
    void ClearTempFolder();
    void DeleteInstallers();
    void DeleteManifests();
    void RemoveFile(const std::filesystem::path& file);

    void StartPoll(std::unique_ptr<QTimer>& timer, std::chrono::milliseconds interval, void (UpdateSession::*tick)());
    static void StopPoll(std::unique_ptr<QTimer>& timer);
    // Deletes a timer of this thread; one of another thread, which can be
    // neither stopped nor deleted from here, is cut off from the session
    // and left to be deleted on its own thread.
    static void DisposeTimer(std::unique_ptr<QTimer>& timer);
    void HandlePollError(const UpdateError& error);

    SessionEnvironment m_env;
    std::recursive_mutex m_lock;

    int m_projectCode = 0;
    int m_hostUpdateCode = 0;
    std::string m_hostVersion;
    VersionParts m_hostVersionParts;
    std::string m_manifestLocation;
    std::filesystem::path m_programFolder;
    WorkFolder m_workFolder{std::filesystem::path()};
    std::filesystem::path m_pendingPath;
    std::filesystem::path m_localPath;
    std::filesystem::path m_signaturePath;
    DownloadUpdateInfo m_pending;
    DownloadUpdateInfo m_local;
    std::unique_ptr<ManifestDocument> m_document;
    HttpDownloaderPtr m_downloader;
    std::unique_ptr<QTimer> m_manifestPoll;
    std::unique_ptr<QTimer> m_packagePoll;
    // The package task waiting for the pause after its file was deleted;
    // the package poll's first tick queues it.
    std::optional<DownloadTask> m_pausedDownload;
    std::unique_ptr<QTimer> m_installPause;
    int m_pausedLaunch = 0;

    int m_updateKind = kUpdateNone;
    PartRange m_range;
    std::vector<std::string> m_parts;
    std::string m_downloadName;
    int m_restarts = 0;
    int m_promptResult = kPromptNextStart;
};

}  // namespace patchwell
