#include "views/DatalogLevel.h"

#include "models/TabularText.h"
#include "views/DatalogFileName.h"

#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QUrl>

namespace {

const QString uriList = QStringLiteral("text/uri-list");

} // namespace

// The drag's data, asked for by the drop target: text for text types, a file
// for file managers.
class DatalogDragData : public QMimeData {
public:
    explicit DatalogDragData(DatalogLevel* meter) : meter(meter) {}

    QStringList formats() const override { return tabularTextTypes() << uriList; }
    bool hasFormat(const QString& type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        if (!meter)
            return QVariant();
        if (tabularTextTypes().contains(type))
            return meter->datalogText().value_or(QByteArray());
        if (type == uriList)
            return meter->datalogFileList();
        return QVariant();
    }

private:
    QPointer<DatalogLevel> meter;
};

DatalogLevel::DatalogLevel(QWidget* parent)
    : LevelMeter(parent)
    , dragImage(QStringLiteral(":/images/NotebookDrag.png"))
    , datalogFilename(QString::fromLatin1(defaultDatalogFilename))
{
}

QMimeData* DatalogLevel::dragData()
{
    uploadDone = false;
    uploadedText.reset();
    promisedFile.clear();
    dragFolder.reset();
    return new DatalogDragData(this);
}

bool DatalogLevel::isDatalogDrag(const QMimeData* data)
{
    return dynamic_cast<const DatalogDragData*>(data) != nullptr;
}

std::optional<QByteArray> DatalogLevel::datalogText()
{
    if (uploadDone)
        return uploadedText;
    uploadDone = true;
    dragFolder = std::make_unique<QTemporaryDir>();
    if (!dragFolder->isValid())
        return uploadedText;
    const QString filePath = dragFolder->filePath(datalogFileName(datalogFilename));
    if (myController)
        myController->uploadFile(filePath);
    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly))
        uploadedText = file.readAll();
    file.remove();
    return uploadedText;
}

QByteArray DatalogLevel::datalogFileList()
{
    if (promisedFile.isEmpty()) {
        const std::optional<QByteArray> text = datalogText();
        if (!text)
            return QByteArray();
        const QString path = dragFolder->filePath(datalogFileName(datalogFilename));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(*text) != text->size())
            return QByteArray();
        promisedFile = path;
    }
    return QUrl::fromLocalFile(promisedFile).toEncoded() + "\r\n";
}

void DatalogLevel::mousePressEvent(QMouseEvent* event)
{
    if (isMeterVisible() && event->button() == Qt::LeftButton)
        pressPosition = event->position().toPoint();
    else
        pressPosition.reset();
}

// The drag starts once the pointer has moved far enough, as elsewhere on the
// desktop, so that a plain click does nothing.
void DatalogLevel::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressPosition || !(event->buttons() & Qt::LeftButton) || !isMeterVisible())
        return;
    if ((event->position().toPoint() - *pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    pressPosition.reset();
    startDrag();
}

void DatalogLevel::mouseDoubleClickEvent(QMouseEvent* event)
{
    pressPosition.reset();
    if (isMeterVisible() && event->button() == Qt::LeftButton)
        emit showRequested();
}

void DatalogLevel::startDrag()
{
    emit dragStarted();
    QDrag* drag = new QDrag(this);
    drag->setMimeData(dragData());
    drag->setPixmap(QPixmap::fromImage(dragImage));
    drag->setHotSpot(QPoint(dragImage.width() / 2, dragImage.height() / 2));
    drag->exec(Qt::CopyAction);
    uploadDone = true;
    drag->deleteLater();
}
