#include "updater/TargetPlan.h"

#include "updater/DownloadTask.h"
#include "updater/VersionCompare.h"

namespace patchwell {

namespace {

std::string LeadingDigits(std::string_view text) {
    size_t end = 0;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    return std::string(text.substr(0, end));
}

std::string Padded(int number, size_t width) {
    std::string digits = std::to_string(number);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string PartSuffix(int number, const PartRange& range) {
    return Padded(number, range.lastText.size()) + "-" + range.lastText;
}

}  // namespace

std::string CutAfterExtension(std::string_view text) {
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos) return std::string(text);
    return std::string(text.substr(0, std::min(text.size(), dot + 4)));
}

bool ReadPartRange(std::string_view fileName, PartRange& range) {
    const size_t dot = fileName.rfind('.');
    const size_t dash = fileName.rfind('-');
    if (dot == std::string_view::npos || dash == std::string_view::npos || dash < dot) return false;
    PartRange read;
    read.lastText = LeadingDigits(fileName.substr(dash + 1));
    read.last = ReadInteger(fileName.substr(dash + 1));
    read.first = dot + 4 <= fileName.size() ? ReadInteger(fileName.substr(dot + 4)) : 0;
    // Numbers that cannot name a series of published parts would make a
    // list of nonsense addresses, or an endless one.
    if (read.lastText.empty() || read.first < 1 || read.last < read.first || read.last > kMaxParts) return false;
    range = std::move(read);
    return true;
}

std::string PartAddress(std::string_view address, int number, const PartRange& range) {
    const std::string_view name = AddressFileName(address);
    const std::string_view folder = address.substr(0, address.size() - name.size());
    return std::string(folder) + CutAfterExtension(name) + PartSuffix(number, range);
}

PlannedTarget PlanTarget(std::string_view target, std::string_view localFile, PartRange& range,
                         std::vector<std::string>& parts) {
    PlannedTarget planned;
    // An empty list starts the plan of a package afresh: a range left from
    // another package's parts must not number this one's.
    if (parts.empty()) range = PartRange{};
    planned.target = parts.empty() ? std::string(target) : parts.front();
    const std::string_view name = AddressFileName(planned.target);
    ReadPartRange(name, range);

    if (parts.empty()) {
        if (range.Exists()) {
            for (int number = range.first; number <= range.last; ++number) {
                parts.push_back(PartAddress(planned.target, number, range));
            }
        } else {
            const std::string_view folder = std::string_view(planned.target).substr(0, planned.target.size() - name.size());
            parts.push_back(std::string(folder) + CutAfterExtension(name));
        }
    }

    planned.downloadName = range.Exists() ? CutAfterExtension(name) + PartSuffix(range.first, range)
                                          : CutAfterExtension(localFile);
    return planned;
}

}  // namespace patchwell
