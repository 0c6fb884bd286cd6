#include "SkinWriter.h"

#include "GifEncoder.h"
#include "IconEncoder.h"

#include "common/Text.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size();
}

QByteArray BitmapBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    writer.write(image.convertToFormat(QImage::Format_RGB32));
    return bytes;
}

CSkinWriter::CSkinWriter(QString dataDir, QString folder, int scale)
    : m_dataDir(std::move(dataDir)), m_folder(std::move(folder)), m_scale(scale) {}

void CSkinWriter::Set(const std::string& section, const std::string& key, const std::string& value) {
    for (auto& [name, keys] : m_sections) {
        if (name != section) continue;
        for (auto& [k, v] : keys)
            if (k == key) {
                v = value;
                return;
            }
        keys.emplace_back(key, value);
        return;
    }
    m_sections.push_back({section, {{key, value}}});
}

void CSkinWriter::Geometry(const std::string& section, const QRect& rect) {
    Set(section, "PosX", rect.x());
    Set(section, "PosY", rect.y());
    Set(section, "Windth", rect.width());
    Set(section, "Height", rect.height());
}

QString CSkinWriter::FilePath(const std::string& name, const char* extension) {
    QString relative = QString::fromStdString(name);
    relative.replace('\\', '/');
    return m_dataDir + "/" + m_folder + "/" + relative + extension;
}

void CSkinWriter::WriteFile(const QString& path, const QByteArray& bytes) {
    if (!WriteBytes(path, bytes)) {
        qWarning("cannot write %s", qPrintable(path));
        m_ok = false;
    }
}

void CSkinWriter::Bitmap(const std::string& name, const QImage& image) {
    WriteFile(FilePath(m_scale == 1 ? name : name + "@" + std::to_string(m_scale) + "x", ".bmp"), BitmapBytes(image));
}

void CSkinWriter::Icon(const std::string& name, const QList<QImage>& sizes) {
    if (m_scale != 1) return;
    WriteFile(FilePath(name, ".ico"), EncodeIcon(sizes));
}

void CSkinWriter::Gif(const std::string& name, const QList<QImage>& frames, int delay) {
    if (m_scale != 1) return;
    WriteFile(FilePath(name, ".gif"), EncodeAnimatedGif(frames, delay));
}

bool CSkinWriter::Finish() {
    if (m_scale != 1) return m_ok;
    std::string text;
    for (const auto& [section, keys] : m_sections) {
        if (!text.empty()) text += "\r\n";
        text += "[" + section + "]\r\n";
        for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
    }
    // The description file is in the system code page.
    WriteFile(m_dataDir + "/" + m_folder + "/Skin.ini", QByteArray::fromStdString(Cp936(text)));
    return m_ok;
}
