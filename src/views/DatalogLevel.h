#pragma once

#include "views/FileActions.h"
#include "views/LevelMeter.h"

#include <QByteArray>
#include <QPoint>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class QMimeData;

// The datalog gauge, which the user drags out of the window: dropped where
// text is taken, it delivers the datalog text; dropped into a file manager's
// folder, a datalog file named by the file-name pattern. The datalog is
// uploaded from the brick only when a drop target asks for it, and at most
// once per drag.
class DatalogLevel : public LevelMeter {
    Q_OBJECT
public:
    explicit DatalogLevel(QWidget* parent = nullptr);

    // The application controller that uploads the datalog; not owned.
    void setController(FileActions* controller) { myController = controller; }
    // The strftime pattern of the datalog file's name.
    void setFilename(const QString& pattern) { datalogFilename = pattern; }
    const QString& filename() const { return datalogFilename; }

    // Starts a new drag: the data it carries, made only when a target asks
    // for it. Owned by the caller (a QDrag takes it).
    QMimeData* dragData();
    // True for the data of a drag out of a datalog meter: asking it for any
    // of its types uploads the datalog, so a drop target that only takes
    // files of its own refuses it without asking.
    static bool isDatalogDrag(const QMimeData* data);

signals:
    // A drag out of the meter has begun.
    void dragStarted();
    // A double click asks to see the datalog.
    void showRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class DatalogDragData;

    // The datalog text, uploaded into a temporary file that is then removed;
    // none when the upload wrote nothing.
    std::optional<QByteArray> datalogText();
    // A datalog file for a file manager to copy, as a text/uri-list; empty
    // when there is no datalog text.
    QByteArray datalogFileList();
    void startDrag();

    FileActions* myController = nullptr;
    QImage dragImage;
    bool uploadDone = false;
    QString datalogFilename;

    std::optional<QByteArray> uploadedText;
    QString promisedFile;
    // A private folder per drag for the uploaded and the promised file, made
    // when a target first asks. It lives until the next drag: a file manager
    // may copy the promised file after the drop has ended.
    std::unique_ptr<QTemporaryDir> dragFolder;
    std::optional<QPoint> pressPosition;
};
