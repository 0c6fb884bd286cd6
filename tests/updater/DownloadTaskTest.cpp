#include "updater/DownloadTask.h"
#include "updater/HttpExchange.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace patchwell;

TEST(DownloadTask, RecordLayoutIs1026Bytes) {
    DownloadTask task = DownloadTask::Make("http://h/Update.xml", "/w/Update.bk");
    task.prefix = "pre";
    const DownloadTask::Record record = task.Pack();
    static_assert(sizeof(record) == 1026);
    EXPECT_EQ(std::strcmp(reinterpret_cast<const char*>(&record[0]), "http://h/Update.xml"), 0);
    EXPECT_EQ(record[256], 0) << "the second text is empty";
    EXPECT_EQ(std::strcmp(reinterpret_cast<const char*>(&record[512]), "pre"), 0);
    EXPECT_EQ(std::strcmp(reinterpret_cast<const char*>(&record[768]), "/w/Update.bk"), 0);
    EXPECT_EQ(record[1024], 1);
    EXPECT_EQ(record[1025], 0);
    EXPECT_EQ(DownloadTask::Unpack(record), task);

    task.completeAddress = false;
    EXPECT_EQ(task.Pack()[1024], 0);
}

TEST(DownloadTask, TextsAreCutToTheirFields) {
    const std::string longAddress = "http://h/" + std::string(400, 'a');
    const DownloadTask task = DownloadTask::Make(longAddress, "/w/Setup.exe");
    EXPECT_EQ(task.address.size(), 255u);
    EXPECT_TRUE(task.Fits());
    DownloadTask tooLong = task;
    tooLong.localPath = std::string(256, 'p');
    EXPECT_FALSE(tooLong.Fits());
    EXPECT_EQ(DownloadTask::Unpack(tooLong.Pack()).localPath.size(), 255u);
    EXPECT_EQ(DownloadTask::Make(std::string("a\0b", 3), "").address, "a") << "a field ends at its zero";
}

TEST(DownloadTask, ManifestTasksEndInLowerCaseXml) {
    EXPECT_TRUE(IsManifestAddress("http://h/download/music/Update.xml"));
    EXPECT_FALSE(IsManifestAddress("http://h/download/music/Update.XML")) << "case-sensitive";
    EXPECT_FALSE(IsManifestAddress("http://h/download/music/Update.xml.exe"));
    EXPECT_FALSE(IsManifestAddress("http://h/dir.xml/Setup"));
    EXPECT_FALSE(IsManifestAddress("http://h/Setup.exe"));
    EXPECT_EQ(AddressFileName("http://h/a/b/Setup.exe"), "Setup.exe");
    EXPECT_EQ(AddressFileName("Setup.exe"), "Setup.exe");
    EXPECT_EQ(AddressFileName("http://h/a/"), "");
}

TEST(DownloadTask, AddressSplitsIntoHostAndPath) {
    const auto parts = SplitAddress("http://127.0.0.1:18080/download/music/Update.xml");
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->host, "127.0.0.1:18080");
    EXPECT_EQ(parts->path, "/download/music/Update.xml");
    const auto bare = SplitAddress("update.example/x");
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->host, "update.example");
    EXPECT_FALSE(SplitAddress("http:///Update.xml").has_value()) << "empty host";
    EXPECT_FALSE(SplitAddress("http://update.example").has_value()) << "empty path";
    EXPECT_FALSE(SplitAddress("").has_value());
}

TEST(DownloadTask, TemporaryFileNameRule) {
    EXPECT_EQ(TemporaryPathFor("/w/Temp/Setup.exe"), "/w/Temp/Setup.exe.qud");
    EXPECT_EQ(TemporaryPathFor("/w/Update.bk"), "/w/Update.bk.qud");
    EXPECT_EQ(TemporaryPathFor("/w/page.html"), "/w/page.htm.qud") << "cut three characters after the dot";
    EXPECT_EQ(TemporaryPathFor("/w/Setup.exe1"), "/w/Setup.exe.qud");
    EXPECT_EQ(TemporaryPathFor("/w/Setup"), "/w/Setup.qud");
    EXPECT_EQ(TemporaryPathFor("/home/u/.local/Velora/Setup"), "/home/u/.local/Velora/Setup.qud")
        << "a dot in a folder name never counts";
    EXPECT_EQ(TemporaryPathFor("/w/.hidden"), "/w/.hid.qud");
}

TEST(ResponseHead, ParsesStatusLengthAndRange) {
    ResponseHeadParser parser;
    EXPECT_FALSE(parser.Feed("HTTP/1.1 100 Continue\r\n"));
    EXPECT_FALSE(parser.Feed("\r\n")) << "an interim answer is not the head";
    EXPECT_FALSE(parser.Feed("HTTP/1.1 206 Partial Content\r\n"));
    EXPECT_FALSE(parser.Feed("content-length:  100\r\n"));
    EXPECT_FALSE(parser.Feed("Content-Range: bytes 900-999/1000\r\n"));
    EXPECT_FALSE(parser.Feed("X-Other: 1\r\n"));
    EXPECT_TRUE(parser.Feed("\r\n"));
    EXPECT_EQ(parser.Head().status, 206);
    EXPECT_EQ(parser.Head().contentLength, 100u);
    EXPECT_EQ(parser.Head().rangeFirst, 900u);
    EXPECT_EQ(parser.Head().rangeTotal, 1000u);

    ResponseHeadParser bad;
    bad.Feed("HTTP/1.1 200 OK\r\n");
    bad.Feed("Content-Length: lots\r\n");
    EXPECT_TRUE(bad.Feed("\r\n"));
    EXPECT_FALSE(bad.Head().contentLength.has_value());
}
