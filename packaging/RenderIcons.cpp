#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "resources/Artwork.h"

// Draws the program's icon, with the code that draws the windows' icon, into a hicolor-theme
// tree: <folder>/<N>x<N>/apps/quillon.png for each size N given.
//   quillon-render-icons <folder> <size>...
int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: quillon-render-icons <folder> <size>...\n");
        return 2;
    }
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    // A build step never talks to a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QDir folder(args.takeFirst());
    for (const QString& arg : args) {
        bool ok = false;
        const int side = arg.toInt(&ok);
        if (!ok || side < 1 || side > 1024) {
            std::fprintf(stderr, "quillon-render-icons: not a size: %s\n", qPrintable(arg));
            return 2;
        }
        const QString sub = QStringLiteral("%1x%1/apps").arg(side);
        const QString file = folder.filePath(sub + QStringLiteral("/quillon.png"));
        if (!folder.mkpath(sub) || !quillon::artwork::paintLogo(side).save(file, "PNG")) {
            std::fprintf(stderr, "quillon-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
