#pragma once

#include "views/FileActions.h"

#include <QWidget>

#include <optional>

class QMimeData;

// An area of the window that takes one program file dropped on it, compiled
// (extension "rcx") or an NQC source ("nqc"), both in lower case, and has it
// downloaded into the current program slot. While such a file is dragged
// over it, it is outlined.
class DropBox : public QWidget {
    Q_OBJECT
public:
    explicit DropBox(QWidget* parent = nullptr);

    // The application controller that downloads the file; not owned.
    void setController(FileActions* controller) { myController = controller; }
    bool isTarget() const { return target; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The path of the one program file the data names, if it names exactly
    // one local file with the extension "rcx" or "nqc".
    static std::optional<QString> programFile(const QMimeData* data);
    void setTarget(bool outlined);

    FileActions* myController = nullptr;
    bool target = false;
};
