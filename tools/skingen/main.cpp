// Draws the shipped skins, the program's pictures and the preview pictures.
// Usage: skingen <data folder> [<docs folder>]
// Deterministic: the same sources give the same files byte for byte.

#include "Preview.h"
#include "Windows.h"

#include "skin/SkinChoice.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: skingen <data folder> [<docs folder>]\n");
        return 2;
    }
    const QString data = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    bool ok = WriteSkin(data, ClassicDesign());
    ok = WriteSkin(data, OrangeDesign()) && ok;
    ok = WriteProgramResources(data) && ok;
    if (argc >= 3) {
        const QString docs = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
        QDir().mkpath(docs);
        for (const char* skin : {kSkinClassic, kSkinOrange}) {
            const QImage preview = ComposePreview(data, QString::fromLatin1(skin));
            const QString file = docs + "/skin-" + QString::fromLatin1(skin).toLower() + ".png";
            ok = !preview.isNull() && preview.save(file, "PNG") && ok;
        }
    }
    if (!ok) std::fprintf(stderr, "skingen: some files could not be written\n");
    return ok ? 0 : 1;
}
