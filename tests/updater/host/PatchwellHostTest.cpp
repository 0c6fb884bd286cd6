// The update library as a host program uses it: loaded by file name from a
// program folder that also holds the installer "Up_date.exe" (a stand-in
// recording its arguments), checking against the service stand-in's update
// host, with its real prompt and message boxes answered by the host.

#include "tests/support/TempDir.h"
#include "tools/standin/StandIn.h"
#include "updater/Gbk.h"
#include "updater/Digest.h"
#include "updater/WorkFolder.h"

#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 40000;

struct HostRun {
    int exitCode = -1;
    std::vector<std::string> lines;  // the "HOST " lines, without the prefix
    std::string output;

    bool Has(const std::string& line) const {
        for (const auto& l : lines) {
            if (l == line) return true;
        }
        return false;
    }
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const auto& l : lines) {
            if (l.rfind(prefix, 0) == 0) found.push_back(l.substr(prefix.size()));
        }
        return found;
    }
};

class PatchwellHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        fs::create_directories(program);
        fs::create_directories(dataHome);
        fs::copy_file(PATCHWELL_HOST_PROGRAM, program / "patchwell_host");
        fs::copy_file(PATCHWELL_LIBRARY, program / "libPatchwell.so");
        fs::copy_file(PATCHWELL_ENGINE_LIBRARY, program / "libPatchwellEngine.so");
        AddInstaller();
        std::ofstream ini(program / "Patchwell.ini");
        ini << "[Hosts]\nUpdate=" << standIn.Host() << "\nGamePatch=" << standIn.Host() << "\n";
    }
    void TearDown() override { standIn.Stop(); }

    void AddInstaller() {
        const fs::path installer = program / "Up_date.exe";
        std::ofstream script(installer);
        script << "#!/bin/sh\n"
                  "echo \"$*\" > \"$(dirname \"$0\")/installer-args.tmp\"\n"
                  "mv \"$(dirname \"$0\")/installer-args.tmp\" \"$(dirname \"$0\")/installer-args.txt\"\n";
        script.close();
        fs::permissions(installer, fs::perms::owner_all);
    }

    HostRun Run(const QStringList& arguments, const QProcessEnvironment& extra = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome.string()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert(extra);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QString::fromStdString((program / "patchwell_host").string()), arguments);
        HostRun run;
        if (!process.waitForStarted(10000)) return run;
        if (!process.waitForFinished(90000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        run.output = process.readAll().toStdString();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        size_t at = 0;
        while (at < run.output.size()) {
            size_t end = run.output.find('\n', at);
            if (end == std::string::npos) end = run.output.size();
            const std::string line = run.output.substr(at, end - at);
            if (line.rfind("HOST ", 0) == 0) run.lines.push_back(line.substr(5));
            at = end + 1;
        }
        return run;
    }

    fs::path WorkFolder() const {
        return patchwell::WorkFolder::Compute(program, "TonvikMusic", dataHome).Path();
    }
    QString Path(const fs::path& path) const { return QString::fromStdString(path.string()); }
    QString ArgsFile() const { return Path(program / "installer-args.txt"); }
    std::string InstallerArguments() const { return TempDir::Read(program / "installer-args.txt"); }
    const standin::St_Product& Music() const { return standIn.UpdateHost().Products()[5]; }
    // Serves the music manifest with texts replaced.
    void ServeMusicManifestWith(const std::vector<std::pair<std::string, std::string>>& replacements) {
        std::string manifest;
        ASSERT_TRUE(standIn.UpdateHost().Manifest(Music().manifestPath, "{HOST}", manifest));
        for (const auto& [from, to] : replacements) {
            const size_t at = manifest.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            manifest.replace(at, from.size(), to);
        }
        standIn.SetDocument(Music().manifestPath, manifest);
    }
    void ServeMusicManifestWith(const std::string& from, const std::string& to) { ServeMusicManifestWith({{from, to}}); }

    TempDir root;
    fs::path program = root / "program";
    fs::path dataHome = root / "data";
    standin::CStandIn standIn;
};

TEST_F(PatchwellHostTest, CheckDownloadPromptInstallAndTheNextStart) {
    const HostRun first = Run({"--answers", "now", "prj", "5", "check", "2", "1.00.0100", "5", "wait-file",
                               ArgsFile(), QString::number(kWaitMs)});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_TRUE(first.Has("SetPrjCode 47"));
    EXPECT_TRUE(first.Has("CheckUpdate 1"));
    EXPECT_EQ(first.Starting("prompt "),
              std::vector<std::string>{"Tonvik Player|Tonvik Player有最新升级|主版本升级|-|choice"});
    EXPECT_EQ(InstallerArguments(), "install 5\n");
    EXPECT_EQ(patchwell::Md5FileHex(WorkFolder() / Music().mainFile), Music().mainMd5);

    // The player's next start, then the installer's side.
    const HostRun next = Run({"prj", "5", "setup", "complete", "state"});
    ASSERT_EQ(next.exitCode, 0) << next.output;
    EXPECT_TRUE(next.Has("SetupNewVersion 1"));
    EXPECT_TRUE(next.Has("CompleteSetup 1"));
    EXPECT_TRUE(next.Has("CheckNewSetup 0"));

    const HostRun after = Run({"prj", "5", "state", "setup"});
    ASSERT_EQ(after.exitCode, 0) << after.output;
    EXPECT_TRUE(after.Has("CheckNewSetup 0"));
    EXPECT_TRUE(after.Has("SetupNewVersion 0"));
    EXPECT_FALSE(fs::exists(WorkFolder() / Music().mainFile));
}

TEST_F(PatchwellHostTest, MultiPartPatchLeftForTheNextStartFailsVerificationThere) {
    const fs::path package = WorkFolder() / Music().mainFile;
    const HostRun first = Run({"--answers", "next", "prj", "5", "check", "2", "1.01.0100", "5", "wait-prompts", "1",
                               QString::number(kWaitMs), "state"});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(first.Starting("prompt "),
              std::vector<std::string>{"Tonvik Player|Tonvik Player有最新升级|未找到合适的升级补丁信息|-|choice"});
    EXPECT_TRUE(first.Has("CheckNewSetup 1"));
    EXPECT_EQ(patchwell::Md5FileHex(package), Music().patchMd5);
    EXPECT_FALSE(fs::exists(program / "installer-args.txt"));
    // Each part's creation date was traced.
    EXPECT_NE(first.output.find(patchwell::Gbk("文件时间 ")), std::string::npos);

    const HostRun next = Run({"prj", "5", "setup"});
    EXPECT_TRUE(next.Has("SetupNewVersion 0"));
    EXPECT_FALSE(fs::exists(package));
    EXPECT_FALSE(fs::exists(WorkFolder() / "Update.xml"));
}

TEST_F(PatchwellHostTest, TypeFourStartsInstallNoExitAfterNextStart) {
    ServeMusicManifestWith("<type>2</type>", "<type>4</type>");

    const HostRun run = Run({"--answers", "next", "prj", "5", "check", "2", "1.00.0100", "5", "wait-file", ArgsFile(),
                             QString::number(kWaitMs)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.Starting("prompt ").size(), 1u);
    EXPECT_EQ(InstallerArguments(), "installnoexit 5\n");
}

TEST_F(PatchwellHostTest, ForcedUpdateShowsTheForcedLabelWithoutChoice) {
    ServeMusicManifestWith("<type>2</type>", "<type>1</type>");

    const HostRun run = Run({"--answers", "ok", "prj", "5", "check", "2", "1.00.0100", "5", "wait-file", ArgsFile(),
                             QString::number(kWaitMs)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.Starting("prompt "),
              std::vector<std::string>{"Tonvik Player|Tonvik Player有最新升级|主版本升级|强制升级包！|nochoice"});
    EXPECT_EQ(InstallerArguments(), "install 5\n");
}

TEST_F(PatchwellHostTest, InstallFileRunsTheVerifiedPackage) {
    // The package is a small program that records its arguments in the
    // folder it is given.
    const std::string package =
        "#!/bin/sh\n"
        "folder=\"${1#fullpath=}\"\n"
        "echo \"$*\" > \"$folder/package-args.tmp\"\n"
        "mv \"$folder/package-args.tmp\" \"$folder/package-args.txt\"\n";
    ServeMusicManifestWith(
        {{Music().mainMd5, patchwell::Md5Hex(package)}, {Music().mainSha256, patchwell::Sha256Hex(package)}});
    standIn.SetDocument(Music().folder + Music().mainFile, package, "application/octet-stream");
    const HostRun first = Run({"--answers", "next", "prj", "5", "check", "2", "1.00.0100", "5", "wait-prompts", "1",
                               QString::number(kWaitMs), "state"});
    ASSERT_TRUE(first.Has("CheckNewSetup 1")) << first.output;

    const HostRun install =
        Run({"prj", "5", "install", "1", "wait-file", Path(program / "package-args.txt"), QString::number(kWaitMs)});
    ASSERT_EQ(install.exitCode, 0) << install.output;
    EXPECT_TRUE(install.Has("InstallFile 1"));
    EXPECT_EQ(TempDir::Read(program / "package-args.txt"), "fullpath=" + program.string() + "\n");
    EXPECT_TRUE(fs::exists(WorkFolder() / "Update.xml"));
}

TEST_F(PatchwellHostTest, AnInstallFileThatFailsInsideAnswersZero) {
    // Where the system's policy forbids MD5, no work folder can be named:
    // every export fails inside.
    const fs::path config = root / "openssl.cnf";
    std::ofstream(config) << "openssl_conf = openssl_init\n[openssl_init]\nproviders = provider_sect\n"
                             "[provider_sect]\nbase = base_sect\n[base_sect]\nactivate = 1\n";
    QProcessEnvironment withoutMd5;
    withoutMd5.insert("OPENSSL_CONF", Path(config));
    const HostRun run = Run({"install", "0", "install", "1"}, withoutMd5);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.Starting("InstallFile "), (std::vector<std::string>{"0", "0"}));
    EXPECT_NE(run.output.find("InstallFile : MD5 is not available"), std::string::npos) << run.output;
}

TEST_F(PatchwellHostTest, AWorkerLeftRunningAtUnloadFinishesAfterTheLibraryWent) {
    // The package's temporary file is a pipe that nobody reads: opening it
    // holds the download's worker where no cancellation reaches it.
    const fs::path pipe = WorkFolder() / "Temp" / (Music().mainFile + ".qud");
    fs::create_directories(pipe.parent_path());
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const HostRun run = Run({"prj", "5", "check", "2", "1.00.0100", "5", "wait-fifo-writer", QString::number(kWaitMs),
                             "unload", "drain", Path(pipe), QString::number(kWaitMs)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(run.Has("unload 1 window closed"));
    EXPECT_TRUE(run.Has("drain ok"));
    EXPECT_TRUE(run.Has("done"));
}

TEST_F(PatchwellHostTest, MissingInstallerIsReportedInAMessageBox) {
    fs::remove(program / "Up_date.exe");
    const HostRun run = Run({"prj", "5", "check", "2", "1.00.0100", "5", "wait-messages", "1",
                             QString::number(kWaitMs), "state"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.Starting("message "),
              std::vector<std::string>{"Tonvik Player|升级失败，升级文件损毁，请重新安装TonvikMusic安装包！|none"});
    EXPECT_FALSE(fs::exists(WorkFolder() / "Update.xml"));
}

TEST_F(PatchwellHostTest, UnwritableLocalManifestIsReportedInAMessageBox) {
    fs::create_directories(WorkFolder() / "Update.xml");
    const HostRun run = Run({"prj", "5", "check", "2", "1.00.0100", "5", "wait-messages", "1",
                             QString::number(kWaitMs)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string path = (WorkFolder() / "Update.xml").string();
    EXPECT_EQ(run.Starting("message "),
              std::vector<std::string>{"Tonvik Player|升级失败！请确保 " + path + " 文件有可写权限。|error"});
    EXPECT_FALSE(fs::exists(program / "installer-args.txt"));
}

TEST_F(PatchwellHostTest, TheLibraryRefusesAForgedManifestAndTakesOneSignedByTheNextKey) {
    // An earlier download's part, which only a refused update clears away.
    const fs::path stalePart = WorkFolder() / "Temp" / (Music().patchBase + "01-03.qud");
    fs::create_directories(stalePart.parent_path());
    std::ofstream(stalePart) << "an earlier part";
    fs::create_directories(program / "Update");
    const auto programBefore = TempDir::Snapshot(program);
    standIn.SetFault(Music().manifestPath + ".sig", standin::MakeFault(standin::FaultKind::BadSignature));
    const HostRun forged = Run({"prj", "5", "check", "2", "1.00.0100", "5", "wait-gone", Path(stalePart),
                                QString::number(kWaitMs), "state"});
    ASSERT_EQ(forged.exitCode, 0) << forged.output;
    EXPECT_NE(forged.output.find("ManifestPoll : the manifest has a signature of no trusted key: update refused"),
              std::string::npos)
        << forged.output;
    EXPECT_TRUE(forged.Has("CheckNewSetup 0"));
    EXPECT_TRUE(forged.Starting("prompt ").empty());
    EXPECT_EQ(TempDir::Snapshot(program), programBefore);

    // The library was built trusting the stand-in's next key too.
    standIn.Reset();
    standIn.SetSigningKey(standin::SigningKey::Next);
    const HostRun rotated = Run({"--answers", "now", "prj", "5", "check", "2", "1.00.0100", "5", "wait-file",
                                 ArgsFile(), QString::number(kWaitMs)});
    ASSERT_EQ(rotated.exitCode, 0) << rotated.output;
    EXPECT_NE(rotated.output.find("ManifestPoll : the manifest is signed by update key 2"), std::string::npos);
    EXPECT_EQ(InstallerArguments(), "install 5\n");
}

TEST_F(PatchwellHostTest, UpdateHostDownShowsNothingAndStartsNothing) {
    standIn.Stop();
    const HostRun run = Run({"prj", "5", "check", "2", "1.00.0100", "5", "wait-prompts", "1", "3000", "state"});
    EXPECT_EQ(run.exitCode, 3) << run.output;  // no prompt came
    EXPECT_TRUE(run.Has("CheckUpdate 1"));
    EXPECT_TRUE(run.Has("CheckNewSetup 0"));
    EXPECT_NE(run.output.find("ManifestPoll : download failed"), std::string::npos);
    EXPECT_TRUE(run.Starting("message ").empty());
}

TEST_F(PatchwellHostTest, ExportsAnswerWithoutAnyManifest) {
    const HostRun run = Run({"prj", "5", "state", "setup", "complete", "install", "0", "download", "0", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(run.Has("CheckNewSetup 0"));
    EXPECT_TRUE(run.Has("SetupNewVersion 0"));
    EXPECT_TRUE(run.Has("CompleteSetup 0"));  // no seed: nothing became the local manifest
    EXPECT_TRUE(run.Has("InstallFile 1"));
    EXPECT_TRUE(run.Has("DownloadSetupFile 0"));  // its failure stays inside
    EXPECT_TRUE(run.Has("done"));
}

TEST_F(PatchwellHostTest, UnloadingEndsTheStateAndClosesTheUpdateWindowAndALaterLoadStartsAfresh) {
    // The player binds the library twice: once at start-up, freed at once,
    // and once for good when its frame exists.
    const HostRun run = Run({"prj", "5", "setup", "window", "unload", "load", "prj", "5", "state", "setup"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(run.Has("unload 1 window closed")) << run.output;
    EXPECT_TRUE(run.Has("loaded"));
    EXPECT_EQ(run.Starting("SetPrjCode "), (std::vector<std::string>{"47", "47"}));
    EXPECT_EQ(run.Starting("SetupNewVersion "), (std::vector<std::string>{"0", "0"}));
    EXPECT_TRUE(run.Has("done"));
}

}  // namespace
