#pragma once
// One download of the engine's queue, and the rules that turn its address
// into a request and its local path into file names.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace patchwell {

// The task keeps the limits of its fixed 1026-byte record: four text
// fields of 256 bytes (at most 255 characters and a terminating zero), the
// complete-address flag and a zero byte.
struct DownloadTask {
    static constexpr size_t kRecordSize = 1026;
    static constexpr size_t kFieldSize = 256;
    static constexpr size_t kMaxText = kFieldSize - 1;
    using Record = std::array<unsigned char, kRecordSize>;

    std::string address;    // bytes 0..255
    std::string reserved;   // bytes 256..511, always empty here
    std::string prefix;     // bytes 512..767, the address prefix
    std::string localPath;  // bytes 768..1023, where the finished file goes
    bool completeAddress = true;  // byte 1024: `address` holds the whole address

    // A task for a whole address. An address longer than its field is cut;
    // the local path is kept whole, for the engine to refuse if too long.
    static DownloadTask Make(std::string_view address, std::string_view localPath);

    // Every text fits its field.
    bool Fits() const;
    // The record layout (texts cut to their fields) and back.
    Record Pack() const;
    static DownloadTask Unpack(const Record& record);

    bool operator==(const DownloadTask&) const = default;
};

// The text after the address's last "/" (the whole text without one).
std::string_view AddressFileName(std::string_view address);

// A task whose address file name ends in ".xml" (exactly, in lower case)
// fetches a manifest; any other a package.
bool IsManifestAddress(std::string_view address);

// Host and path of an address: a leading "http://" dropped, the host up to
// the first "/", the path from it. nullopt when either is empty.
struct HostAndPath {
    std::string host;
    std::string path;
};
std::optional<HostAndPath> SplitAddress(std::string_view address);

// True for a file name that stays inside the folder it is put in: not
// empty, not "." or "..", no separator, no NUL.
bool IsPlainFileName(std::string_view name);

// The temporary file a download is written to: the local path with its file
// name cut three characters after its last dot (a file name without a dot,
// or a shorter one, is kept whole), + ".qud".
std::string TemporaryPathFor(std::string_view localPath);

}  // namespace patchwell
