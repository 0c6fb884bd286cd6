#include "updater/PartJoiner.h"

#include "platform/AtomicFile.h"
#include "updater/DownloadTask.h"
#include "updater/Gbk.h"
#include "updater/PatchwellTrace.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace patchwell {

namespace fs = std::filesystem;

namespace {

constexpr std::streamsize kBlock = 4096;

int DateNumber(const tonvik::platform::LocalFileTime& time) {
    return time.year * 10000 + time.month * 100 + time.day;
}

void TraceTime(const tonvik::platform::LocalFileTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%.2d-%.2d %.2d:%.2d\n", time.year, time.month, time.day, time.hour,
                  time.minute);
    TraceOut(Gbk("文件时间 ") + text);
}

}  // namespace

JoinResult JoinParts(const fs::path& output, const fs::path& folder, std::vector<std::string>& addresses,
                     const CreationTimeQuery& creationTime) {
    // Joined beside the package and put in its place at the end: a join cut
    // short (or killed) never leaves half a package under its name.
    tonvik::platform::CAtomicFileWriter out(output);
    auto fail = [&](std::string why) {
        std::error_code ec;
        fs::remove(output, ec);
        return JoinResult{false, std::move(why)};
    };
    if (!out.IsOpen()) return fail("cannot create " + output.string());

    std::optional<int> firstDate;
    std::array<char, kBlock> block{};
    while (!addresses.empty()) {
        const std::string name(AddressFileName(addresses.front()));
        if (name.empty() || name == "." || name == "..") return fail("bad part name " + addresses.front());
        const fs::path part = folder / name;
        const auto time = creationTime(part);
        if (!time) return fail("missing part " + part.string());
        TraceTime(*time);
        if (!firstDate) firstDate = DateNumber(*time);
        if (DateNumber(*time) != *firstDate) return fail("part from another day " + part.string());

        std::ifstream in(part, std::ios::binary);
        if (!in) return fail("cannot open part " + part.string());
        for (;;) {
            in.read(block.data(), kBlock);
            const std::streamsize got = in.gcount();
            if (got > 0 && !out.Write(std::string_view(block.data(), static_cast<size_t>(got))))
                return fail("cannot write " + output.string());
            if (got < kBlock) break;
        }
        if (in.bad()) return fail("cannot read part " + part.string());
        in.close();
        std::error_code ec;
        fs::remove(part, ec);
        addresses.erase(addresses.begin());
    }
    if (!out.Commit()) return fail("cannot write " + output.string());
    return {true, {}};
}

}  // namespace patchwell
