#include "updater/Gbk.h"
#include "updater/ManifestDocument.h"
#include "updater/WorkFolder.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace patchwell;
namespace fs = std::filesystem;

namespace {

// A complete manifest; `tail` goes before the closing tag.
std::string Manifest(std::string_view tail = "", std::string_view localFile = "Setup.exe") {
    std::string text = R"(<?xml version="1.0" encoding="UTF-8"?>
<update>
  <update_code>12</update_code>
  <module>5</module>
  <type>2</type>
  <main_ver>6.01.460</main_ver>
  <patch_ver>3</patch_ver>
  <update_status>0</update_status>
  <mainfile>http://127.0.0.1:18080/download/music/Setup.exe</mainfile>
  <patchfile>http://127.0.0.1:18080/download/music/Patch.exe</patchfile>
  <mainfile_md5>0CC175B9C0F1B6A831C399E269772661</mainfile_md5>
  <patchfile_md5>900150983CD24FB0D6963F7D28E17F72</patchfile_md5>
  <localfile>)";
    text += localFile;
    text += R"(</localfile>
  <down_retry>1</down_retry>
)";
    text += tail;
    text += "</update>\n";
    return text;
}

std::string Without(std::string text, std::string_view element) {
    const std::string open = "<" + std::string(element) + ">";
    const std::string close = "</" + std::string(element) + ">";
    const size_t begin = text.find(open);
    const size_t end = text.find(close, begin);
    if (begin != std::string::npos && end != std::string::npos) text.erase(begin, end + close.size() - begin);
    return text;
}

class ManifestTest : public testing::Test {
protected:
    fs::path WriteManifest(std::string_view text, std::string_view name = "Update.xml") {
        return dir.Write(name, text);
    }

    TempDir dir;
    ManifestDocument document;
};

}  // namespace

TEST(DownloadUpdateInfo, FreshRecordAndCopy) {
    DownloadUpdateInfo fresh;
    EXPECT_EQ(fresh.mstrUpdateCode, "0");
    EXPECT_EQ(fresh.mstrUpdateStatus, "0");
    EXPECT_EQ(fresh.mstrDownRetry, "0");
    for (const std::string* text : {&fresh.mstrModule, &fresh.mstrType, &fresh.mstrMainVer, &fresh.mstrPatchVer,
                                    &fresh.mstrMainFile, &fresh.mstrPatchFile, &fresh.mstrMainFileMd5,
                                    &fresh.mstrPatchFileMd5, &fresh.mstrTargetFile, &fresh.mstrLocalFile,
                                    &fresh.mstrFileTime}) {
        EXPECT_TRUE(text->empty());
    }
    EXPECT_TRUE(fresh.mlstReserved.empty() && fresh.mlstPatchFrom.empty() && fresh.mlstPatchTo.empty() &&
                fresh.mlstContent.empty());

    DownloadUpdateInfo changed;
    changed.mstrFileTime = "t";
    changed.mlstContent = {"c"};
    changed.mstrDownRetry = "2";
    DownloadUpdateInfo copy = changed;
    EXPECT_EQ(copy, changed);
    EXPECT_NE(copy, fresh);
}

TEST_F(ManifestTest, LoadReadsEveryElement) {
    const auto path = WriteManifest(Manifest(
        "  <hint/><patchfrom>2</patchfrom><patchto>3</patchto><content>修复了歌词\\n新增皮肤</content>\n"
        "  <filetime>2026-12-01 10:00</filetime>\n  <targetfile>http://h/Setup.exe</targetfile>\n"));
    ASSERT_EQ(document.Load(path), kManifestLoaded);
    EXPECT_EQ(document.Path(), path);
    const DownloadUpdateInfo& r = document.Record();
    EXPECT_EQ(r.mstrUpdateCode, "12");
    EXPECT_EQ(r.mstrModule, "5");
    EXPECT_EQ(r.mstrType, "2");
    EXPECT_EQ(r.mstrMainVer, "6.01.460");
    EXPECT_EQ(r.mstrPatchVer, "3");
    EXPECT_EQ(r.mstrUpdateStatus, "0");
    EXPECT_EQ(r.mstrMainFile, "http://127.0.0.1:18080/download/music/Setup.exe");
    EXPECT_EQ(r.mstrPatchFile, "http://127.0.0.1:18080/download/music/Patch.exe");
    EXPECT_EQ(r.mstrMainFileMd5, "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(r.mstrPatchFileMd5, "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(r.mstrLocalFile, "Setup.exe");
    EXPECT_EQ(r.mstrDownRetry, "1");
    EXPECT_EQ(r.mlstPatchFrom, std::vector<std::string>{"2"});
    EXPECT_EQ(r.mlstPatchTo, std::vector<std::string>{"3"});
    EXPECT_EQ(r.mlstContent, std::vector<std::string>{Gbk("修复了歌词\\n新增皮肤")}) << "texts arrive in CP936";
    EXPECT_EQ(r.mstrFileTime, "2026-12-01 10:00");
    EXPECT_EQ(r.mstrTargetFile, "http://h/Setup.exe");
    EXPECT_TRUE(r.mlstReserved.empty());
}

TEST_F(ManifestTest, GbkDeclaredDocumentIsHonoured) {
    std::string text = Gbk(Manifest("<hint/><patchfrom>1</patchfrom><content>在线升级</content>"));
    text.replace(text.find("UTF-8"), 5, "GBK");
    ASSERT_EQ(document.Load(WriteManifest(text)), kManifestLoaded);
    EXPECT_EQ(document.Record().mlstContent, std::vector<std::string>{Gbk("在线升级")});
    // Saving keeps the document's own encoding.
    document.Record().mstrUpdateStatus = "2";
    ASSERT_EQ(document.Save(kSavePlain), 0);
    const std::string saved = TempDir::Read(document.Path());
    EXPECT_NE(saved.find(Gbk("在线升级")), std::string::npos);
    ManifestDocument again;
    ASSERT_EQ(again.Load(document.Path()), kManifestLoaded);
    EXPECT_EQ(again.Record().mstrUpdateStatus, "2");
}

TEST_F(ManifestTest, FilesNotStartingWithTheXmlWordOrBrokenAreDeleted) {
    ASSERT_EQ(document.Load(WriteManifest(Manifest())), kManifestLoaded);
    const DownloadUpdateInfo before = document.Record();
    const std::string cases[] = {
        "<html><body>404 Not Found</body></html>",
        "\xEF\xBB\xBF" + Manifest(),                 // a byte-order mark makes another first word
        "<?xml-stylesheet href=\"a\"?>" + Manifest(),  // the word must be exactly "<?xml"
        Manifest().substr(0, 200),                   // cut short
        " \r\n" + Manifest(),                        // the word is right, but a declaration must come first
        "",
        "   \r\n\t ",
    };
    for (const std::string& text : cases) {
        const auto path = WriteManifest(text, "Update.bk");
        EXPECT_EQ(document.Load(path), kManifestNotLoaded) << text;
        EXPECT_FALSE(fs::exists(path)) << text;
        EXPECT_EQ(document.Record(), before) << "the record keeps its previous content";
    }
    EXPECT_EQ(document.Load(dir / "missing.xml"), kManifestNotLoaded);
    fs::create_directory(dir / "folder.xml");
    EXPECT_EQ(document.Load(dir / "folder.xml"), kManifestNotLoaded);
    EXPECT_TRUE(fs::is_directory(dir / "folder.xml")) << "only files are deleted";
    const auto huge = WriteManifest(Manifest() + "<!--" + std::string(17 * 1024 * 1024, 'x') + "-->", "Huge.xml");
    EXPECT_EQ(document.Load(huge), kManifestNotLoaded);
    EXPECT_FALSE(fs::exists(huge)) << "far too large to be a manifest";
    EXPECT_EQ(document.Save(kSavePlain), 0) << "after a failed load there is no document to write";
    EXPECT_FALSE(fs::exists(dir / "missing.xml"));
}

TEST_F(ManifestTest, MissingRequiredElementKeepsDefaultsFromThereOn) {
    ASSERT_EQ(document.Load(WriteManifest(Without(Manifest("<hint/><patchfrom>2</patchfrom>"), "type"))),
              kManifestLoaded);
    const DownloadUpdateInfo& r = document.Record();
    EXPECT_EQ(r.mstrUpdateCode, "12");
    EXPECT_EQ(r.mstrModule, "5");
    EXPECT_EQ(r.mstrType, "");
    EXPECT_EQ(r.mstrMainVer, "");
    EXPECT_EQ(r.mstrLocalFile, "");
    EXPECT_EQ(r.mstrDownRetry, "0");
    EXPECT_TRUE(r.mlstPatchFrom.empty());

    ASSERT_EQ(document.Load(WriteManifest(Without(Manifest(), "down_retry"))), kManifestLoaded);
    EXPECT_EQ(document.Record().mstrLocalFile, "Setup.exe");
    EXPECT_EQ(document.Record().mstrDownRetry, "0");

    ASSERT_EQ(document.Load(WriteManifest("<?xml version=\"1.0\"?><other><update_code>4</update_code></other>")),
              kManifestLoaded)
        << "another document element is a manifest without elements";
    EXPECT_EQ(document.Record(), DownloadUpdateInfo{});
}

TEST_F(ManifestTest, DigestsAreOptional) {
    ASSERT_EQ(document.Load(WriteManifest(Without(Without(Manifest(), "mainfile_md5"), "patchfile_md5"))),
              kManifestLoaded);
    EXPECT_EQ(document.Record().mstrMainFileMd5, "");
    EXPECT_EQ(document.Record().mstrPatchFileMd5, "");
    EXPECT_EQ(document.Record().mstrLocalFile, "Setup.exe");
    EXPECT_EQ(document.Record().mstrDownRetry, "1");
    EXPECT_EQ(document.Record().mstrMainFileSha256, "");
    EXPECT_EQ(document.Record().mstrPatchFileSha256, "");
}

TEST_F(ManifestTest, Sha256DigestsAreAttributesOlderReadersPassOver) {
    const std::string sha = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    std::string text = Manifest();
    text.replace(text.find("<mainfile>"), 10, "<mainfile sha256=\" " + sha + " \">");
    text.replace(text.find("<patchfile>"), 11, "<patchfile sha256=\"ab\">");
    ASSERT_EQ(document.Load(WriteManifest(text)), kManifestLoaded);
    EXPECT_EQ(document.Record().mstrMainFileSha256, sha);
    EXPECT_EQ(document.Record().mstrPatchFileSha256, "ab");
    // The element's text, all an older reader takes, is the address alone.
    EXPECT_EQ(document.Record().mstrMainFile, "http://127.0.0.1:18080/download/music/Setup.exe");
    document.Record().mstrUpdateStatus = "2";
    ASSERT_EQ(document.Save(kSaveWithTargetFile), 0);
    ManifestDocument again;
    ASSERT_EQ(again.Load(document.Path()), kManifestLoaded);
    EXPECT_EQ(again.Record().mstrMainFileSha256, sha) << "saving keeps the attributes";
}

TEST_F(ManifestTest, NotesAreTakenByIndexUpToTheNumberOfHints) {
    ASSERT_EQ(document.Load(WriteManifest(Manifest(
                  "<notes><hint/><patchfrom>1</patchfrom><patchto>2</patchto><content>one</content></notes>"
                  "<notes><hint/><patchfrom>2</patchfrom><patchto>3</patchto></notes>"))),
              kManifestLoaded);
    EXPECT_EQ(document.Record().mlstPatchFrom, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(document.Record().mlstPatchTo, (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(document.Record().mlstContent, std::vector<std::string>{"one"});

    ASSERT_EQ(document.Load(WriteManifest(Manifest("<hint/><patchfrom>1</patchfrom><patchfrom>2</patchfrom>"))),
              kManifestLoaded);
    EXPECT_EQ(document.Record().mlstPatchFrom, std::vector<std::string>{"1"}) << "one hint, one note";
}

TEST_F(ManifestTest, EntitiesAreNeitherExpandedNorFetched) {
    dir.Write("secret.txt", "secret");
    const std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE update [<!ENTITY x \"boom\">"
                             "<!ENTITY ext SYSTEM \"" + (dir / "secret.txt").string() + "\">]>\n" +
                             Manifest("<hint/><content>a&x;&ext;b</content>").substr(39);
    ASSERT_EQ(document.Load(WriteManifest(text)), kManifestLoaded);
    EXPECT_EQ(document.Record().mlstContent, std::vector<std::string>{"ab"});
}

TEST_F(ManifestTest, SaveWritesTheFourFieldsAndTheChosenExtra) {
    const auto path = WriteManifest(Manifest("  <filetime>old</filetime>\n"));
    ASSERT_EQ(document.Load(path), kManifestLoaded);
    DownloadUpdateInfo& r = document.Record();
    r.mstrType = "10";
    r.mstrUpdateStatus = "2";
    r.mstrPatchVer = "4";
    r.mstrDownRetry = "2";
    r.mstrFileTime = "new";
    r.mstrTargetFile = "http://h/Setup.exe";
    r.mstrMainVer = "9.9.9";  // never written back
    r.mstrLocalFile = "Other.exe";
    ASSERT_EQ(document.Save(kSaveWithFileTime), 0);

    ManifestDocument reread;
    ASSERT_EQ(reread.Load(path), kManifestLoaded);
    EXPECT_EQ(reread.Record().mstrType, "10");
    EXPECT_EQ(reread.Record().mstrUpdateStatus, "2");
    EXPECT_EQ(reread.Record().mstrPatchVer, "4");
    EXPECT_EQ(reread.Record().mstrDownRetry, "2");
    EXPECT_EQ(reread.Record().mstrFileTime, "new");
    EXPECT_EQ(reread.Record().mstrTargetFile, "") << "option 1 does not write the target file";
    EXPECT_EQ(reread.Record().mstrMainVer, "6.01.460");
    EXPECT_EQ(reread.Record().mstrLocalFile, "Setup.exe");

    ASSERT_EQ(document.Save(kSaveWithTargetFile), 0);
    ASSERT_EQ(document.Save(kSaveWithTargetFile), 0);
    const std::string saved = TempDir::Read(path);
    const size_t target = saved.find("<targetfile>http://h/Setup.exe</targetfile>");
    ASSERT_NE(target, std::string::npos) << saved;
    EXPECT_EQ(saved.find("<targetfile>", target + 1), std::string::npos) << "created once, then updated";
    EXPECT_GT(target, saved.find("<down_retry>")) << "created as the last child of update";
    EXPECT_LT(target, saved.find("</update>"));

    r.mstrUpdateStatus = "1";
    ASSERT_EQ(document.Save(kSavePlain), 0);
    ASSERT_EQ(reread.Load(path), kManifestLoaded);
    EXPECT_EQ(reread.Record().mstrUpdateStatus, "1");
    EXPECT_EQ(reread.Record().mstrFileTime, "new");
}

TEST_F(ManifestTest, SaveEscapesTextsAndReplacesReadOnlyFiles) {
    const auto path = WriteManifest(Manifest());
    ASSERT_EQ(document.Load(path), kManifestLoaded);
    document.Record().mstrFileTime = "<a & b>";
    fs::permissions(path, fs::perms::owner_read, fs::perm_options::replace);
    ASSERT_EQ(document.Save(kSaveWithFileTime), 0);
    ManifestDocument reread;
    ASSERT_EQ(reread.Load(path), kManifestLoaded);
    EXPECT_EQ(reread.Record().mstrFileTime, "<a & b>");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST_F(ManifestTest, SaveWithoutARequiredElementWritesNothing) {
    for (const char* element : {"type", "update_status", "patch_ver", "down_retry"}) {
        const std::string text = Without(Manifest(), element);
        const auto path = WriteManifest(text);
        ASSERT_EQ(document.Load(path), kManifestLoaded) << element;
        document.Record().mstrUpdateStatus = "2";
        document.Record().mstrFileTime = "x";
        EXPECT_EQ(document.Save(kSaveWithFileTime), 0) << element;
        EXPECT_EQ(TempDir::Read(path), text) << element;
    }
}

TEST_F(ManifestTest, SaveReportsAFileThatCannotBeWritten) {
    ASSERT_EQ(document.Load(WriteManifest(Manifest())), kManifestLoaded);
    document.SetPath(dir / "missing-folder" / "Update.xml");
    EXPECT_EQ(document.Save(kSavePlain), kSaveFailed);
}

TEST_F(ManifestTest, ManifestsPlacingFilesOutsideTheWorkFolderAreRefused) {
    const WorkFolder folder(dir / "work");
    const std::string unsafe[] = {
        Manifest("", "../../.bashrc"),
        Manifest("", "/etc/cron.d/evil"),
        Manifest("", ""),
        Manifest("", ".."),
        [] {
            std::string text = Manifest();
            text.replace(text.find("download/music/Setup.exe"), 24, "download/music/");
            return text;
        }(),
        [] {
            std::string text = Manifest();
            text.replace(text.find("download/music/Patch.exe"), 24, "download/..");
            return text;
        }(),
    };
    for (const std::string& text : unsafe) {
        fs::create_directories(folder.Path() / "Temp");
        std::ofstream(folder.Path() / "Temp" / "Setup.exe.qud") << "partial";
        const fs::path path = folder.Path() / "Update.bk";
        std::ofstream(path, std::ios::binary) << text;
        document.Record().mstrUpdateCode = "99";
        EXPECT_EQ(LoadManifestIn(document, folder, path), kManifestUnsafe) << text;
        EXPECT_EQ(document.Record().mstrUpdateCode, "99") << "the record is not taken over";
        EXPECT_TRUE(fs::is_empty(folder.Path())) << "the work folder is emptied";
    }
    fs::create_directories(folder.Path());
    const fs::path path = folder.Path() / "Update.xml";
    std::ofstream(path, std::ios::binary) << Manifest("", "a..b.exe");
    EXPECT_EQ(LoadManifestIn(document, folder, path), kManifestLoaded);
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(ManifestTest, KeptFuzzInputsLoadWithoutHarm) {
    const fs::path cases(UPDATER_MANIFEST_CASES);
    int replayed = 0;
    for (const auto& entry : fs::directory_iterator(cases)) {
        std::string content;
        std::ifstream in(entry.path(), std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const auto path = WriteManifest(content, "Update.bk");
        const int result = document.Load(path);
        EXPECT_TRUE(result == kManifestLoaded || result == kManifestNotLoaded || result == kManifestUnsafe)
            << entry.path();
        if (result == kManifestLoaded) {
            EXPECT_GE(document.Save(kSaveWithTargetFile), kSaveFailed);
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
