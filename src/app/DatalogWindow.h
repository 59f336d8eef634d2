#pragma once

#include "models/DatalogTable.h"
#include "models/UploadedDatalog.h"

#include <QMainWindow>

class DatalogChart;
class QFileDialog;
class QLabel;
class QTableView;

// The datalog as uploaded: a chart of its sources beside the table of its
// entries, exported as a PNG picture, an SVG drawing or the datalog text.
// Another upload shows the brick's datalog afresh.
class DatalogWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Format { png, svg, text };

    explicit DatalogWindow(QWidget* parent = nullptr);

    // Shows `datalog` and brings the window to the front.
    void showDatalog(UploadedDatalog datalog);
    // Writes what the window shows at `path`: the chart as a picture or a
    // drawing, or the datalog's text. False when the file cannot be written.
    bool exportTo(const QString& path, Format format);

    const UploadedDatalog& datalog() const { return theDatalog; }
    DatalogChart& chart() { return *theChart; }
    QTableView& table() { return *theTable; }

signals:
    // The user asks for the brick's datalog again.
    void uploadRequested();

private:
    void addActions();
    void chooseFile(Format format);
    void exportEnd(int returnCode);
    bool savePicture(const QString& path);
    bool saveDrawing(const QString& path);
    bool saveText(const QString& path);

    UploadedDatalog theDatalog;
    DatalogTable entries;
    DatalogChart* theChart;
    QTableView* theTable;
    QLabel* counts;
    QFileDialog* filePanel = nullptr;
    Format chosenFormat = text;
};
