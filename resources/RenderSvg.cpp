// Renders one SVG picture to a PNG file at the pixel size the SVG declares:
//   infrabrick-render-svg picture.svg picture.png
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: infrabrick-render-svg picture.svg picture.png\n");
        return 2;
    }
    QSvgRenderer renderer{QString::fromLocal8Bit(argv[1])};
    if (!renderer.isValid()) {
        std::fprintf(stderr, "infrabrick-render-svg: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage picture(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
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
