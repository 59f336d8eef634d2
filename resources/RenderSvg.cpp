// Renders one SVG picture to a PNG file at the pixel size the SVG declares,
// or at SIZE by SIZE pixels:
//   infrabrick-render-svg picture.svg picture.png [SIZE]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    const int size = argc == 4 ? std::atoi(argv[3]) : 0;
    if (argc < 3 || argc > 4 || (argc == 4 && size <= 0)) {
        std::fprintf(stderr, "usage: infrabrick-render-svg picture.svg picture.png [SIZE]\n");
        return 2;
    }
    // Text in a picture needs the fonts, which come with an application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QSvgRenderer renderer{QString::fromLocal8Bit(argv[1])};
    if (!renderer.isValid()) {
        std::fprintf(stderr, "infrabrick-render-svg: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage picture(size > 0 ? QSize(size, size) : renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter);
    painter.end();
    if (!picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "infrabrick-render-svg: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
