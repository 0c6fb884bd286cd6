#pragma once
// Planning a package download: a package is published either as one file or
// as a numbered series of parts, "Setup.exe01-03" to "Setup.exe03-03", which
// are fetched one after another and joined.

#include <string>
#include <string_view>
#include <vector>

namespace patchwell {

// The part numbers of a multi-part package. Both 0: no range.
struct PartRange {
    int first = 0;
    int last = 0;
    std::string lastText;  // the last number as published ("03"): its width pads every part number

    bool Exists() const { return first != 0 || last != 0; }
    bool operator==(const PartRange&) const = default;
};

// The most parts one package may have; a file name announcing more is not
// taken for a part range.
inline constexpr int kMaxParts = 999;

// The text up to and including the three characters after its last "." (the
// whole text when shorter, or without a dot).
std::string CutAfterExtension(std::string_view text);

// The part range a file name carries: its last "-" comes after its last
// ".", the last number follows that "-", the first starts three characters
// after the ".". False (range untouched) for a name without one, or with a
// range that cannot be a series of parts.
bool ReadPartRange(std::string_view fileName, PartRange& range);

// The address of part `number` of a range, from any address of the series.
std::string PartAddress(std::string_view address, int number, const PartRange& range);

struct PlannedTarget {
    std::string target;        // the address to download now
    std::string downloadName;  // its file name in the download folder
};

// Plans the next download of `target`. The first queued part, when there is
// one, replaces the target and its range replaces `range`. An empty part
// list starts a new plan: the range is the target's own (none when its name
// carries none) and the list is filled (one address per part, or the single
// address of a whole file). Without a range the download is named after the
// package's local file name. The caller empties `parts` once the package
// is complete or given up, so that the next package is planned afresh.
PlannedTarget PlanTarget(std::string_view target, std::string_view localFile, PartRange& range,
                         std::vector<std::string>& parts);

}  // namespace patchwell
