#pragma once
// Writes one skin folder: its bitmaps, icons and animated pictures, and the
// description file "Skin.ini" (GBK, CRLF) with sections in the order they
// were first given.

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <string>
#include <utility>
#include <vector>

class CSkinWriter {
public:
    // `folder` relative to `dataDir`, e.g. "Skin2/MiniSkin". A writer of
    // scale 2 writes only the double-size twins of the bitmaps
    // ("Name@2x.bmp"): the description, icons and animated pictures come
    // from the writer of scale 1.
    CSkinWriter(QString dataDir, QString folder, int scale = 1);

    void Set(const std::string& section, const std::string& key, const std::string& value);
    void Set(const std::string& section, const std::string& key, int value) { Set(section, key, std::to_string(value)); }
    void Geometry(const std::string& section, const QRect& rect);
    void Name(const std::string& section, const std::string& name) { Set(section, "Name", name); }

    // `name` relative to the skin folder without extension; "\" separates folders.
    void Bitmap(const std::string& name, const QImage& image);
    void Icon(const std::string& name, const QList<QImage>& sizes);
    void Gif(const std::string& name, const QList<QImage>& frames, int delay);

    // Writes "Skin.ini"; false when a file could not be written.
    bool Finish();
    bool Ok() const { return m_ok; }
    QString Folder() const { return m_folder; }

private:
    QString FilePath(const std::string& name, const char* extension);
    void WriteFile(const QString& path, const QByteArray& bytes);

    QString m_dataDir;
    QString m_folder;
    int m_scale = 1;
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> m_sections;
    bool m_ok = true;
};

// Writes bytes to a file, creating its folder; false on failure.
bool WriteBytes(const QString& path, const QByteArray& bytes);
// A 24-bit BMP of the picture.
QByteArray BitmapBytes(const QImage& image);
