// Shoots the skinned controls of every shipped skin, each in its states,
// into one PNG sheet per skin.
//
//   control_gallery <output folder> [skin root]
//
// The skin root defaults to the program's folder, where the build stages
// the skins. Run it with QT_QPA_PLATFORM=offscreen for a machine without a
// display.

#include "tools/gallery/GallerySheet.h"
#include "tools/gallery/ItemViewSheet.h"

#include <QApplication>
#include <QDir>
#include <QFont>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: control_gallery <output folder> [skin root]\n");
        return 2;
    }
    // The Chinese texts need a CJK face under a bare virtual display.
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(font);

    const QString output = QString::fromLocal8Bit(argv[1]);
    const std::string root =
        argc > 2 ? std::string(argv[2]) : QApplication::applicationDirPath().toStdString();
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "control_gallery: cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    const struct {
        const char* folder;
        const char* file;
    } sheets[] = {{"Skin2", "skin2.png"}, {"Skin", "skin.png"}};
    for (const auto& sheet : sheets) {
        CGallerySheet page(root, sheet.folder);
        if (!page.Loaded()) {
            std::fprintf(stderr, "control_gallery: no skin description in %s/%s\n", root.c_str(), sheet.folder);
            ++failures;
            continue;
        }
        const QString path = QDir(output).filePath(QString::fromLatin1(sheet.file));
        if (!page.Shoot().save(path, "PNG")) {
            std::fprintf(stderr, "control_gallery: cannot write %s\n", qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    CItemViewSheet views(root);
    const QString viewsPath = QDir(output).filePath(QStringLiteral("lists.png"));
    if (!views.Loaded() || !views.Shoot().save(viewsPath, "PNG")) {
        std::fprintf(stderr, "control_gallery: cannot shoot %s\n", qPrintable(viewsPath));
        ++failures;
    } else {
        std::printf("%s\n", qPrintable(viewsPath));
    }
    return failures == 0 ? 0 : 1;
}
