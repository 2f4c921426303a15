// Draws the program's icon with the program's own renderer and writes it as
// the PNGs an icon theme holds: <folder>/<n>x<n>/apps/<name>.png for each
// size given. Run at build time; needs no display.
//
//   themeIcons <folder> <name> <size>...

#include "view/artwork.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: themeIcons <folder> <name> <size>...\n");
        return 2;
    }
    try {
        const QString folder = QString::fromLocal8Bit(argv[1]);
        const QString name = QString::fromLocal8Bit(argv[2]);
        for (int i = 3; i < argc; ++i) {
            bool isNumber = false;
            const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
            if (!isNumber || size < 1 || size > 1024) {
                std::fprintf(stderr, "themeIcons: '%s' is not an icon size\n", argv[i]);
                return 2;
            }
            const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
            const QString file = QStringLiteral("%1/%2.png").arg(apps, name);
            const view::artwork::Image icon = view::artwork::applicationIcon(size);
            const QImage picture(icon.rgba.data(), icon.size, icon.size, icon.size * 4, QImage::Format_RGBA8888);
            if (!QDir().mkpath(apps) || picture.width() != size || !picture.save(file, "PNG")) {
                std::fprintf(stderr, "themeIcons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
        return 0;
    } catch (...) {
        std::fprintf(stderr, "themeIcons: an unexpected error ended the program\n");
        return 1;
    }
}
