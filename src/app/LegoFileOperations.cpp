// LegoController: file transfers, their progress sheet, and the error sheets
// of the link.
#include "app/LegoController.h"

#include "app/CompileErrorPanel.h"
#include "app/DatalogPanel.h"
#include "app/DatalogWindow.h"
#include "app/FileProgressPanel.h"
#include "app/MainWindow.h"
#include "app/TimeoutPanel.h"
#include "scripting/ScriptHold.h"
#include "ui_MainWindow.h"
#include "views/DatalogFileName.h"
#include "views/DatalogLevel.h"

#include <QFileInfo>
#include <QMessageBox>

// ---- user actions ----------------------------------------------------------

void LegoController::download()
{
    if (theWindow.isDelete()) {
        myRCXController.deleteCurrentProgram();
        showProgramName();
        return;
    }
    chooseProgram();
}

void LegoController::chooseProgram()
{
    beginFilePanel(QFileDialog::AcceptOpen,
                   {QCoreApplication::translate("Localizable", "Programs (*.rcx *.nqc)"),
                    QCoreApplication::translate("Localizable", "All files (*)")},
                   &LegoController::downloadEnd);
}

void LegoController::downloadAgain()
{
    if (!lastPath.isEmpty())
        downloadProgramFile(lastPath);
}

void LegoController::downloadAndRun()
{
    if (lastPath.isEmpty() || !downloadProgramFile(lastPath))
        return;
    runStopButton->setChecked(true);
    runStop();
}

void LegoController::downloadEnd(int returnCode)
{
    if (returnCode == QDialog::Accepted)
        downloadFile(chosenFile());
}

void LegoController::downloadFile(const QString& path)
{
    downloadProgramFile(path);
}

bool LegoController::downloadProgramFile(const QString& path)
{
    ProgramFileDownload::Result result;
    {
        const ScriptHold scriptsWait(*myRCXControllerScript);
        result = myProgramFiles.download(path.toStdString(), *this);
        // A failed download may leave part of a program in the slot: remove
        // it. A refused file, or a source that did not compile, never
        // reached the brick, and the slot keeps its program.
        if (result.transfer == RCXController::progFileFailed)
            pastTransferFailure([this] { myRCXController.deleteCurrentProgram(); });
    }
    showProgramName();
    const bool downloaded = result.transfer == RCXController::progFileDownloaded;
    // A source with errors is the file to download again once mended.
    if (downloaded || (result.compileFailure && QFileInfo::exists(path)))
        rememberFile(path);
    if (downloaded) {
        lastDownloadTime = QDateTime::currentDateTime();
        showLastDownload();
    }
    if (result.compileFailure) {
        myCompileErrorPanel->showFailure(*result.compileFailure);
        myCompileErrorPanel->open();
    }
    return downloaded;
}

void LegoController::rememberFile(const QString& path)
{
    Ui::LocalizableMainWindow& ui = theWindow.controls();
    ui.actionDownloadAgain->setEnabled(true);
    ui.actionDownloadAndRun->setEnabled(true);
    followFileButton->setEnabled(true);
    if (path == lastPath)
        return;
    lastPath = path;
    lastDownloadTime = QDateTime();
    showLastDownload();
    if (followFileButton->isChecked())
        lastFile.follow(path);
}

void LegoController::showLastDownload()
{
    const QString name = QFileInfo(lastPath).fileName();
    downloadedFile->setText(
        lastDownloadTime.isValid()
            ? QCoreApplication::translate("Localizable", "%1, downloaded at %2")
                  .arg(name, lastDownloadTime.time().toString("HH:mm:ss"))
            : QCoreApplication::translate("Localizable", "%1, not downloaded").arg(name));
}

void LegoController::followFile(bool on)
{
    lastFile.follow(on ? lastPath : QString());
}

void LegoController::followedFileChanged()
{
    // Never into a transfer under way, nor past a sheet that holds the
    // window back; the errors of the last compilation give way to the next.
    if (myFileProgressPanel->isVisible() || !showErrors) {
        lastFile.later();
        return;
    }
    if (myCompileErrorPanel->isVisible())
        myCompileErrorPanel->accept();
    downloadProgramFile(lastPath);
}

void LegoController::followedFileRemoved()
{
    followFileButton->setChecked(false);
    downloadedFile->setText(QCoreApplication::translate("Localizable", "%1 was removed: it is no longer followed")
                                .arg(QFileInfo(lastPath).fileName()));
}

void LegoController::openFiles(const QStringList& paths)
{
    pendingFiles += paths;
    // A brick that answers already is asked again.
    if (!pendingFiles.isEmpty())
        refreshSoon();
}

void LegoController::openPendingFiles()
{
    static const QStringList firmwareExtensions = {"lgo", "srec", "s19", "mot"};
    for (const QString& path : std::exchange(pendingFiles, {})) {
        if (firmwareExtensions.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive))
            askToInstallFirmware(path);
        else
            downloadProgramFile(path);
    }
}

void LegoController::askToInstallFirmware(const QString& path)
{
    auto* question = new QMessageBox(
        QMessageBox::Question, QCoreApplication::translate("Localizable", "Install Firmware"),
        QCoreApplication::translate("Localizable", "Install the firmware file \"%1\" on the brick?")
            .arg(QFileInfo(path).fileName()),
        QMessageBox::Yes | QMessageBox::No, &theWindow);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setWindowModality(Qt::WindowModal);
    connect(question, &QMessageBox::finished, this, [this, path](int answer) {
        if (answer == QMessageBox::Yes)
            installFirmwareFile(path);
    });
    question->open();
}

void LegoController::installFirmware()
{
    // The brick's own firmware comes as .lgo; brickOS and others as S-record
    // files under their usual names.
    beginFilePanel(QFileDialog::AcceptOpen,
                   {QCoreApplication::translate("Localizable", "RCX firmware (*.lgo *.srec *.s19 *.mot)"),
                    QCoreApplication::translate("Localizable", "All files (*)")},
                   &LegoController::firmwareEnd);
}

void LegoController::firmwareEnd(int returnCode)
{
    if (returnCode == QDialog::Accepted)
        installFirmwareFile(chosenFile());
}

void LegoController::installFirmwareFile(const QString& path)
{
    showErrors = true;
    const ScriptHold scriptsWait(*myRCXControllerScript);
    // Off unless chosen: the normal download is the one every brick takes.
    const auto speed = myDefaults.value(fastFirmwareKey).toBool() ? RCXController::FirmwareSpeed::fast
                                                                   : RCXController::FirmwareSpeed::normal;
    myRCXController.sendFirmware(path.toStdString(), *this, speed);
    // Deleting the firmware stopped and deleted every program.
    {
        const QSignalBlocker quiet(runStopButton);
        runStopButton->setChecked(false);
    }
    showProgramName();
    showProgramStatus();
    waitABit = 2;
}

void LegoController::upload()
{
    // The name a dragged datalog gets, as the preferences set its pattern.
    beginFilePanel(QFileDialog::AcceptSave, {}, &LegoController::uploadEnd)
        ->selectFile(datalogFileName(datalog->filename()));
}

void LegoController::uploadEnd(int returnCode)
{
    if (returnCode == QDialog::Accepted)
        uploadFile(chosenFile());
}

void LegoController::uploadFile(const QString& path)
{
    const ScriptHold scriptsWait(*myRCXControllerScript);
    myRCXController.saveDatalogFile(path.toStdString(), *this);
}

void LegoController::showDatalog()
{
    // The transfer's sheet is the main window's: bring it where it is seen.
    theWindow.raise();
    std::optional<std::vector<LogEntry>> entries;
    {
        const ScriptHold scriptsWait(*myRCXControllerScript);
        entries = myRCXController.uploadDatalog(*this);
    }
    // Entries missed by a failed link came as zeros: show none of them.
    if (!entries || linkFailedInTransfer)
        return;
    myDatalogWindow->showDatalog(UploadedDatalog(*entries, [this](int type, int value) {
        return myRCXController.datalogLine(type, value);
    }));
}

void LegoController::clear()
{
    myDatalogDialogue->open();
}

void LegoController::datalogEnd(int returnCode)
{
    if (returnCode == DatalogPanel::cancelCode)
        return;
    myRCXController.setDataLog(returnCode, *this);
    showDatalogMeter();
}

QFileDialog* LegoController::beginFilePanel(QFileDialog::AcceptMode mode, const QStringList& filters,
                                            void (LegoController::*endHandler)(int))
{
    delete filePanel;
    filePanel = new QFileDialog(&theWindow);
    filePanel->setAcceptMode(mode);
    filePanel->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!filters.isEmpty())
        filePanel->setNameFilters(filters);
    filePanel->setWindowModality(Qt::WindowModal);
    connect(filePanel, &QDialog::finished, this, endHandler);
    filePanel->open();
    return filePanel;
}

QString LegoController::chosenFile()
{
    QStringList files = filePanel->selectedFiles();
    filePanel->hide();
    return files.isEmpty() ? QString() : files.first();
}

// ---- the progress sheet ----------------------------------------------------

void LegoController::startFileOp(const std::string& title)
{
    myFileProgressPanel->showStart(QString::fromStdString(title));
    linkFailedInTransfer = false;
    if (myFileProgressPanel->isVisible())
        myFileProgressPanel->repaint();
    else
        myFileProgressPanel->openOnScreen();
}

void LegoController::advanceBy(double increment)
{
    myFileProgressPanel->incrementBy(increment);
}

void LegoController::stopFileOp()
{
    // A transfer that reads on past a failed link (the datalog's upload does)
    // has not gone through: its sheet keeps the link's message.
    if (linkFailedInTransfer)
        return;
    // A transfer that went through closes its sheet itself; nothing waits on
    // its end handler.
    const QSignalBlocker quiet(myFileProgressPanel.get());
    myFileProgressPanel->accept();
}

void LegoController::noteFileOp(const std::string& note)
{
    myFileProgressPanel->showNote(QString::fromStdString(note));
}

void LegoController::abortFileOp(const std::string& message)
{
    suspendForSheet();
    // Once the link itself has failed, its message stays: what fails after
    // it (the transfer, its clean-up) fails because the link is blocked.
    if (!linkFailedInTransfer)
        myFileProgressPanel->showFailure(QString::fromStdString(message));
    if (!myFileProgressPanel->isVisible())
        myFileProgressPanel->open();
}

void LegoController::fileOpEnd(int)
{
    // The link was blocked for the failure's message. Where the link itself
    // failed, the next command brings up the tower-error sheet, whose Retry
    // reopens the port. A transfer that failed for its own reason (a bad
    // file, a full brick) left a working link: release it and refresh.
    if (linkFailedInTransfer)
        showErrors = true;
    else
        resumePolling(2);
    linkFailedInTransfer = false;
}

void LegoController::pastTransferFailure(const std::function<void()>& exchange)
{
    if (linkFailedInTransfer) {
        exchange();
        return;
    }
    myPacket.startReadLoop();
    exchange();
    myPacket.block();
}

// ---- link failures ---------------------------------------------------------

void LegoController::timeout()
{
    reportLinkFailure(QT_TRANSLATE_NOOP("Localizable", "No response from RCX"), *myTimeoutPanel,
                      StatusLine::Brick::NotAnswering);
}

void LegoController::towerError()
{
    reportLinkFailure(QT_TRANSLATE_NOOP("Localizable", "Error accessing IR tower"), *myTowerErrorPanel,
                      StatusLine::Brick::TowerUnusable);
}

void LegoController::reportLinkFailure(const char* transferMessage, TimeoutPanel& sheet, StatusLine::Brick brick)
{
    ++linkFailures;
    // A transfer under way ends with the failure on its own sheet. Once
    // errors are held back, the link is blocked: what fails then says
    // nothing new of the brick.
    const bool inTransfer = myFileProgressPanel->isVisible();
    if (inTransfer || showErrors)
        myStatusLine->showBrick(brick);
    if (inTransfer) {
        abortFileOp(QCoreApplication::translate("Localizable", transferMessage).toStdString());
        linkFailedInTransfer = true;
    } else if (showErrors) {
        linkFailed(sheet);
    }
}

void LegoController::linkFailed(TimeoutPanel& sheet)
{
    suspendForSheet();
    waitABit = -1;
    sheet.open();
}

void LegoController::suspendForSheet()
{
    myPacket.block();
    showErrors = false;
}

void LegoController::restartLink(int ticks)
{
    myPacket.startReadLoop();
    waitABit = ticks;
}

void LegoController::resumePolling(int ticks)
{
    showErrors = true;
    restartLink(ticks);
}

void LegoController::timeoutEnd(int returnCode)
{
    switch (returnCode) {
    case TimeoutPanel::retryCode:
        resumePolling(2);
        break;
    case TimeoutPanel::preferencesCode:
        setPreferences(false);
        break;
    case TimeoutPanel::firmwareCode:
        myPacket.startReadLoop();
        installFirmware();
        break;
    case TimeoutPanel::quitCode:
        endApplication();
        break;
    }
}

void LegoController::endApplication()
{
    // Not quit(), which first asks every window to close: the sheet, still
    // on screen, refuses, and the application would go on.
    QCoreApplication::exit(0);
}

void LegoController::towerErrorEnd(int returnCode)
{
    switch (returnCode) {
    case TimeoutPanel::retryCode:
        // Should the saved port fail, the preferences sheet that follows
        // holds ticks back again.
        showErrors = true;
        startWithSavedPort();
        break;
    case TimeoutPanel::preferencesCode:
        setPreferences(false);
        break;
    case TimeoutPanel::quitCode:
        endApplication();
        break;
    }
}
