// Build-time tool: renders the gift drawings (SVG) into the 64 x 64 bitmaps the program shows
// (with the same pixels as PNG beside each, which the sheet takes as they are), and the program's
// icon into PNGs of the usual sizes for the desktop's icon theme.
// Usage: render_images OUTDIR file.svg...
//        render_images --icon OUTDIR icon.svg SIZE...   (writes OUTDIR/SIZExSIZE/apps/icon.png)
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static int renderIcon(const char* outArg, const char* svgArg, char** sizes, char** end) {
    const QString svg = QString::fromLocal8Bit(svgArg);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", svgArg);
        return 1;
    }
    for (; sizes != end; ++sizes) {
        const int size = std::atoi(*sizes);
        const QString dir =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(outArg)).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString out = dir + QLatin1Char('/') + QFileInfo(svg).completeBaseName() + ".png";
        if (size <= 0 || !QDir().mkpath(dir) || !image.save(out, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_images OUTDIR file.svg...\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--icon") == 0)
        return argc < 5 ? 2 : renderIcon(argv[2], argv[3], argv + 4, argv + argc);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const QString svg = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString base = outDir + QLatin1Char('/') + QFileInfo(svg).completeBaseName();
        for (const char* format : {"BMP", "PNG"}) {
            const QString out = base + QLatin1Char('.') + QString::fromLatin1(format).toLower();
            if (!image.save(out, format)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
                return 1;
            }
        }
    }
    return 0;
}
