#include "Pictures.h"

#include <QDir>
#include <QPainter>
#include <QWidget>

QImage solidImage(QSize size, QColor top, QColor bottom)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const int half = size.height() / 2;
    painter.fillRect(0, 0, size.width(), half, top);
    painter.fillRect(0, half, size.width(), size.height() - half, bottom);
    return image;
}

QImage painted(QWidget& widget)
{
    QImage canvas(widget.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    widget.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    return canvas;
}

void savePicture(const QImage& picture, const char* name)
{
    QDir().mkpath(QStringLiteral(INFRABRICK_PICTURES));
    picture.save(QStringLiteral(INFRABRICK_PICTURES "/%1.png").arg(QLatin1String(name)));
}

