#include "updater/DownloadTask.h"

#include <algorithm>
#include <cstring>

namespace patchwell {

namespace {

std::string_view Cut(std::string_view text) {
    // A field ends at its first zero, as the record reads.
    text = text.substr(0, text.find('\0'));
    return text.substr(0, DownloadTask::kMaxText);
}

void PutField(DownloadTask::Record& record, size_t offset, std::string_view text) {
    const std::string_view cut = Cut(text);
    std::memcpy(record.data() + offset, cut.data(), cut.size());
}

std::string GetField(const DownloadTask::Record& record, size_t offset) {
    const auto* begin = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(begin, strnlen(begin, DownloadTask::kMaxText));
}

}  // namespace

DownloadTask DownloadTask::Make(std::string_view address, std::string_view localPath) {
    DownloadTask task;
    task.address = Cut(address);
    task.localPath = localPath;  // never cut: a cut path names another file (AddTask refuses it)
    task.completeAddress = true;
    return task;
}

bool DownloadTask::Fits() const {
    for (const std::string* text : {&address, &reserved, &prefix, &localPath}) {
        if (text->size() > kMaxText || text->find('\0') != std::string::npos) return false;
    }
    return true;
}

DownloadTask::Record DownloadTask::Pack() const {
    Record record{};
    PutField(record, 0, address);
    PutField(record, kFieldSize, reserved);
    PutField(record, 2 * kFieldSize, prefix);
    PutField(record, 3 * kFieldSize, localPath);
    record[4 * kFieldSize] = completeAddress ? 1 : 0;
    record[4 * kFieldSize + 1] = 0;
    return record;
}

DownloadTask DownloadTask::Unpack(const Record& record) {
    DownloadTask task;
    task.address = GetField(record, 0);
    task.reserved = GetField(record, kFieldSize);
    task.prefix = GetField(record, 2 * kFieldSize);
    task.localPath = GetField(record, 3 * kFieldSize);
    task.completeAddress = record[4 * kFieldSize] != 0;
    return task;
}

std::string_view AddressFileName(std::string_view address) {
    const size_t slash = address.rfind('/');
    return slash == std::string_view::npos ? address : address.substr(slash + 1);
}

bool IsManifestAddress(std::string_view address) {
    const std::string_view name = AddressFileName(address);
    const size_t dot = name.rfind('.');
    return dot != std::string_view::npos && name.substr(dot) == ".xml";
}

std::optional<HostAndPath> SplitAddress(std::string_view address) {
    constexpr std::string_view kScheme = "http://";
    if (address.substr(0, kScheme.size()) == kScheme) address.remove_prefix(kScheme.size());
    const size_t slash = address.find('/');
    if (slash == std::string_view::npos || slash == 0) return std::nullopt;
    HostAndPath parts{std::string(address.substr(0, slash)), std::string(address.substr(slash))};
    return parts;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string TemporaryPathFor(std::string_view localPath) {
    // Only a dot of the file name counts: a dot in a folder name must never
    // move the temporary file into another folder.
    const size_t nameStart = localPath.find_last_of('/') == std::string_view::npos ? 0 : localPath.find_last_of('/') + 1;
    const size_t dot = localPath.rfind('.');
    std::string path(localPath);
    if (dot != std::string_view::npos && dot >= nameStart) path = std::string(localPath.substr(0, std::min(localPath.size(), dot + 4)));
    path += ".qud";
    return path;
}

}  // namespace patchwell
