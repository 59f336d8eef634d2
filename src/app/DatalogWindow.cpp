#include "app/DatalogWindow.h"

#include "views/DatalogChart.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QTableView>
#include <QToolBar>

namespace {

struct FileKind {
    const char* filter;
    const char* suffix;
};
const FileKind fileKinds[] = {
    {QT_TRANSLATE_NOOP("Localizable", "PNG pictures (*.png)"), "png"},
    {QT_TRANSLATE_NOOP("Localizable", "SVG drawings (*.svg)"), "svg"},
    {QT_TRANSLATE_NOOP("Localizable", "Text files (*.txt)"), "txt"},
};

} // namespace

DatalogWindow::DatalogWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , theChart(new DatalogChart(this))
    , theTable(new QTableView(this))
    , counts(new QLabel(this))
{
    setWindowTitle(QCoreApplication::translate("Localizable", "Datalog"));
    theTable->setModel(&entries);
    theTable->verticalHeader()->hide();
    // The numbers' columns as wide as the widest value; the names take the
    // rest. Measuring every row instead would cost as much as the chart.
    QHeaderView* columns = theTable->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setSectionResizeMode(DatalogTable::sourceColumn, QHeaderView::Stretch);
    const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("-32768")) + 16;
    columns->resizeSection(DatalogTable::entryColumn, numberWidth);
    columns->resizeSection(DatalogTable::valueColumn, numberWidth);
    theTable->setWordWrap(false);
    theTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    theTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    theTable->setAlternatingRowColors(true);
    auto* split = new QSplitter(this);
    split->addWidget(theChart);
    split->addWidget(theTable);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setSizes({600, 300});
    setCentralWidget(split);
    statusBar()->addWidget(counts);
    statusBar()->addPermanentWidget(
        new QLabel(QCoreApplication::translate("Localizable", "Drag to zoom in, Shift-drag to pan, Home to see all")));
    addActions();
    resize(900, 520);
}

void DatalogWindow::addActions()
{
    QToolBar* tools = addToolBar(QCoreApplication::translate("Localizable", "Datalog"));
    tools->setMovable(false);
    tools->addAction(QCoreApplication::translate("Localizable", "Upload Again"), QKeySequence::Refresh, this,
                     &DatalogWindow::uploadRequested);
    tools->addAction(QCoreApplication::translate("Localizable", "See All"), Qt::CTRL | Qt::Key_0, theChart,
                     &DatalogChart::fitToVisible);
    tools->addSeparator();
    const std::pair<const char*, Format> exports[] = {
        {QT_TRANSLATE_NOOP("Localizable", "Export as PNG..."), png},
        {QT_TRANSLATE_NOOP("Localizable", "Export as SVG..."), svg},
        {QT_TRANSLATE_NOOP("Localizable", "Export as Text..."), text},
    };
    for (const auto& [title, format] : exports) {
        const QString label = QCoreApplication::translate("Localizable", title);
        tools->addAction(label, this, [this, format] { chooseFile(format); });
    }
}

void DatalogWindow::showDatalog(UploadedDatalog datalog)
{
    theDatalog = std::move(datalog);
    entries.setDatalog(theDatalog);
    theChart->showDatalog(theDatalog);
    const QLocale locale;
    counts->setText(QCoreApplication::translate("Localizable", "Entries: %1, sources: %2")
                        .arg(locale.toString(theDatalog.entryCount()),
                             locale.toString(static_cast<int>(theDatalog.sources().size()))));
    show();
    raise();
    activateWindow();
}

void DatalogWindow::chooseFile(Format format)
{
    delete filePanel;
    filePanel = new QFileDialog(this);
    filePanel->setAcceptMode(QFileDialog::AcceptSave);
    filePanel->setNameFilter(QCoreApplication::translate("Localizable", fileKinds[format].filter));
    filePanel->setDefaultSuffix(fileKinds[format].suffix);
    filePanel->setWindowModality(Qt::WindowModal);
    chosenFormat = format;
    connect(filePanel, &QDialog::finished, this, &DatalogWindow::exportEnd);
    filePanel->open();
}

void DatalogWindow::exportEnd(int returnCode)
{
    const QStringList files = filePanel->selectedFiles();
    if (returnCode != QDialog::Accepted || files.isEmpty() || exportTo(files.first(), chosenFormat))
        return;
    const QString message = QCoreApplication::translate("Localizable", "Can't write file \"%1\"")
                                .arg(QFileInfo(files.first()).fileName());
    auto* failure = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    failure->setAttribute(Qt::WA_DeleteOnClose);
    failure->setWindowModality(Qt::WindowModal);
    failure->open();
}

bool DatalogWindow::exportTo(const QString& path, Format format)
{
    switch (format) {
    case png:
        return savePicture(path);
    case svg:
        return saveDrawing(path);
    case text:
        return saveText(path);
    }
    return false;
}

bool DatalogWindow::savePicture(const QString& path)
{
    return theChart->grab().save(path, "PNG");
}

bool DatalogWindow::saveDrawing(const QString& path)
{
    QSvgGenerator drawing;
    drawing.setFileName(path);
    drawing.setSize(theChart->size());
    drawing.setViewBox(theChart->rect());
    drawing.setTitle(windowTitle());
    QPainter painter;
    if (!painter.begin(&drawing))
        return false;
    theChart->render(&painter);
    return painter.end();
}

bool DatalogWindow::saveText(const QString& path)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(theDatalog.text()) == theDatalog.text().size()
           && file.commit();
}
