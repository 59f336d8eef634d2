#include "Pictures.h"

#include <QDir>
#include <QWidget>

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
