// Renders the program's icon (the same SVG source the windows show) at the sizes of the
// freedesktop hicolor theme: OUTDIR/NxN/apps/NAME.png for each size given.
#include "assets/PictureArt.h"
#include "assets/Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: icongen OUTDIR NAME SIZE...\n", stderr);
        return 2;
    }
    // The icon is drawn off screen: no display is needed at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString fileName = QString::fromLocal8Bit(argv[2]) + QStringLiteral(".png");
    const QSize natural = assets::pictureSize(assets::Picture::ProgramIcon);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QByteArray(argv[i]).toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            std::fprintf(stderr, "icongen: not a size: %s\n", argv[i]);
            return 2;
        }
        QImage image = assets::art::render(assets::Picture::ProgramIcon,
                                           static_cast<qreal>(size) / natural.width());
        image.setDevicePixelRatio(1.0);
        if (image.size() != QSize(size, size)) {
            std::fprintf(stderr, "icongen: the icon came out %dx%d, not %dx%d\n", image.width(),
                         image.height(), size, size);
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = folder + u'/' + fileName;
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
