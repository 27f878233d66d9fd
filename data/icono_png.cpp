// Renders the icon's SVG to the PNG sizes of the icon theme, at build time,
// so that the pictures always match the drawing.
//
//   icono_png ICON.svg OUTDIR NAME SIZE...   -> OUTDIR/SIZExSIZE/apps/NAME.png
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "uso: %s ICONO.svg CARPETA NOMBRE TAMAÑO...\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "%s: no es un SVG válido\n", argv[1]);
        return 1;
    }
    for (int i = 4; i < argc; ++i) {
        const int lado = QString::fromLatin1(argv[i]).toInt();
        if (lado <= 0) return 2;
        QImage img(lado, lado, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        svg.render(&p, QRectF(0, 0, lado, lado));
        p.end();
        // A drawing the renderer could not follow comes out empty.
        if (img.pixelColor(lado / 2, lado / 2).alpha() == 0) {
            std::fprintf(stderr, "%s: el dibujo sale vacío a %d px\n", argv[1], lado);
            return 1;
        }
        const QString carpeta = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(lado);
        QDir().mkpath(carpeta);
        const QString archivo = carpeta + QLatin1Char('/') + QString::fromLocal8Bit(argv[3]) + QStringLiteral(".png");
        if (!img.save(archivo, "PNG")) {
            std::fprintf(stderr, "%s: no se ha podido escribir\n", qPrintable(archivo));
            return 1;
        }
    }
    return 0;
}
