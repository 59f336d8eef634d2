#include "views/DropBox.h"

#include "views/DatalogLevel.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

DropBox::DropBox(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

std::optional<QString> DropBox::programFile(const QMimeData* data)
{
    // The datalog meter inside the box starts its drags over the box; they
    // carry no program, and asking them for their files would upload the
    // datalog.
    if (!data || DatalogLevel::isDatalogDrag(data) || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString path = urls.front().toLocalFile();
    const QString extension = QFileInfo(path).suffix();
    if (extension != QLatin1String("rcx") && extension != QLatin1String("nqc"))
        return std::nullopt;
    return path;
}

void DropBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction) || !programFile(event->mimeData())) {
        event->ignore();
        return;
    }
    setTarget(true);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropBox::dragLeaveEvent(QDragLeaveEvent*)
{
    setTarget(false);
}

// The outline goes before the download starts, since the download blocks the
// window until the whole file has gone.
void DropBox::dropEvent(QDropEvent* event)
{
    setTarget(false);
    const std::optional<QString> path = programFile(event->mimeData());
    if (!path) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (myController)
        myController->downloadFile(*path);
}

void DropBox::setTarget(bool outlined)
{
    target = outlined;
    repaint();
}

void DropBox::paintEvent(QPaintEvent*)
{
    if (!target)
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2.0));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}
