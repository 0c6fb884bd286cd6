// Joining the parts of a multi-part package.

#include "platform/FileTimes.h"
#include "tests/support/TempDir.h"
#include "updater/Gbk.h"
#include "updater/PartJoiner.h"
#include "updater/PatchwellTrace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace patchwell {
namespace {

namespace fs = std::filesystem;
using tonvik::platform::LocalFileTime;

std::string Bytes(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + static_cast<char>(i % 251));
    return bytes;
}

class PartJoinerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp);
        SetTraceOutSink([this](std::string_view text) {
            std::lock_guard guard(lock);
            traces.emplace_back(text);
        });
    }
    void TearDown() override { SetTraceOutSink(nullptr); }

    // Creation times by file name; files not listed are missing.
    CreationTimeQuery Times() {
        return [this](const fs::path& path) -> std::optional<LocalFileTime> {
            if (!fs::exists(path)) return std::nullopt;
            auto it = times.find(path.filename().string());
            return it == times.end() ? LocalFileTime{2026, 12, 7, 9, 30} : it->second;
        };
    }

    void AddPart(const std::string& name, const std::string& bytes) {
        root.Write("Temp/" + name, bytes);
        addresses.push_back("http://host/download/" + name);
    }

    TempDir root;
    fs::path temp = root / "Temp";
    fs::path output = root / "Setup.exe";
    std::vector<std::string> addresses;
    std::map<std::string, LocalFileTime> times;
    std::mutex lock;
    std::vector<std::string> traces;
};

TEST_F(PartJoinerTest, AppendsThePartsInOrderAndDeletesThem) {
    // Sizes around the block size catch a lost or doubled last block.
    const std::string a = Bytes(4096, 'a'), b = Bytes(4097, 'b'), c = Bytes(4095, 'c');
    AddPart("Setup.exe01-03", a);
    AddPart("Setup.exe02-03", b);
    AddPart("Setup.exe03-03", c);
    times["Setup.exe02-03"] = LocalFileTime{2026, 12, 7, 23, 59};

    const JoinResult result = JoinParts(output, temp, addresses, Times());
    ASSERT_TRUE(result.joined) << result.error;
    EXPECT_EQ(TempDir::Read(output), a + b + c);
    EXPECT_TRUE(addresses.empty());
    for (const char* part : {"Setup.exe01-03", "Setup.exe02-03", "Setup.exe03-03"}) {
        EXPECT_FALSE(fs::exists(temp / part)) << part;
    }
    std::lock_guard guard(lock);
    ASSERT_EQ(traces.size(), 3u);
    EXPECT_EQ(traces[0], Gbk("文件时间 2026-12-07 09:30\n"));
    EXPECT_EQ(traces[1], Gbk("文件时间 2026-12-07 23:59\n"));
}

TEST_F(PartJoinerTest, APartFromAnotherDayFailsAndDeletesTheOutput) {
    AddPart("Setup.exe01-02", Bytes(5000, 'a'));
    AddPart("Setup.exe02-02", Bytes(5000, 'b'));
    times["Setup.exe02-02"] = LocalFileTime{2026, 12, 8, 0, 1};

    const JoinResult result = JoinParts(output, temp, addresses, Times());
    EXPECT_FALSE(result.joined);
    EXPECT_FALSE(fs::exists(output));
    // The refused part stays for nobody to mistake it for joined.
    EXPECT_EQ(addresses.size(), 1u);
    EXPECT_TRUE(fs::exists(temp / "Setup.exe02-02"));
}

TEST_F(PartJoinerTest, AMissingPartFailsAndDeletesTheOutput) {
    AddPart("Setup.exe01-03", Bytes(100, 'a'));
    addresses.push_back("http://host/download/Setup.exe02-03");  // never downloaded
    AddPart("Setup.exe03-03", Bytes(100, 'c'));

    const JoinResult result = JoinParts(output, temp, addresses, Times());
    EXPECT_FALSE(result.joined);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_NE(result.error.find("Setup.exe02-03"), std::string::npos);
}

TEST_F(PartJoinerTest, AnOutputThatCannotBeCreatedFails) {
    AddPart("Setup.exe01-01", Bytes(10, 'a'));
    const JoinResult result = JoinParts(root / "no-such-folder" / "Setup.exe", temp, addresses, Times());
    EXPECT_FALSE(result.joined);
    EXPECT_TRUE(fs::exists(temp / "Setup.exe01-01"));
}

TEST(FileTimesTest, AFreshFileWasCreatedToday) {
    TempDir root;
    const auto before = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const fs::path file = root.Write("part", "x");
    const auto after = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const auto time = tonvik::platform::FileCreationLocalTime(file);
    ASSERT_TRUE(time.has_value());
    // Either side of the call, in case midnight passes during it.
    auto matches = [&](std::time_t moment) {
        const std::tm local = *std::localtime(&moment);
        return time->year == local.tm_year + 1900 && time->month == local.tm_mon + 1 && time->day == local.tm_mday;
    };
    EXPECT_TRUE(matches(before) || matches(after));
    EXPECT_FALSE(tonvik::platform::FileCreationLocalTime(root / "missing").has_value());
}

}  // namespace
}  // namespace patchwell
