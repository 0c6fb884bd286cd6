#include "platform/AtomicFile.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <fstream>
#include <iterator>

namespace tonvik::platform {

namespace {
QString ToQtPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
    QSaveFile file(ToQtPath(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    qint64 written = 0;
    while (written < static_cast<qint64>(content.size())) {
        const qint64 n = file.write(content.data() + written, static_cast<qint64>(content.size()) - written);
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    return file.commit();
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& content) {
    // A folder or a device under the name is no file to read (reading a
    // folder through a stream throws, a pipe may never end).
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    try {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return !in.bad();
}

}  // namespace tonvik::platform
