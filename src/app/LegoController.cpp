// LegoController: creation, start-up, settings and the preferences sheet.
#include "app/LegoController.h"

#include "app/CompileErrorPanel.h"
#include "app/DatalogPanel.h"
#include "app/DatalogWindow.h"
#include "app/DynamicSensorPanel.h"
#include "app/FileProgressPanel.h"
#include "app/MainWindow.h"
#include "app/PreferencesPanel.h"
#include "app/StatusLine.h"
#include "app/TimeoutPanel.h"
#include "models/Memory.h"
#include "models/Variables.h"
#include "ports/SerialLines.h"
#include "protocol/RemoteControl.h"
#include "ui_MainWindow.h"
#include "ui_PreferencesPanel.h"
#include "views/AnimatedButton.h"
#include "views/DatalogFileName.h"
#include "views/DatalogLevel.h"
#include "views/DropBox.h"
#include "views/LevelMeter.h"
#include "views/MemoryView.h"
#include "views/VariableView.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <iterator>

namespace {

// The polling rates offered, as periods in ticks of 0.1 s (0: never).
struct Rate {
    int ticks;
    const char* title;
};
// What a rate menu shows before anything was saved: a brick polled often
// enough to look alive, without flooding the infrared link.
constexpr int initialBatteryTicks = 100;
constexpr int initialInputTicks = 10;
constexpr int initialDatalogTicks = 20;
constexpr Rate rates[] = {
    {0, QT_TRANSLATE_NOOP("Localizable", "Never")},
    {5, QT_TRANSLATE_NOOP("Localizable", "Every half second")},
    {10, QT_TRANSLATE_NOOP("Localizable", "Every second")},
    {20, QT_TRANSLATE_NOOP("Localizable", "Every 2 seconds")},
    {50, QT_TRANSLATE_NOOP("Localizable", "Every 5 seconds")},
    {100, QT_TRANSLATE_NOOP("Localizable", "Every 10 seconds")},
    {300, QT_TRANSLATE_NOOP("Localizable", "Every 30 seconds")},
    {600, QT_TRANSLATE_NOOP("Localizable", "Every minute")},
};

// The brick types, tagged with their column in the battery level table.
constexpr const char* rcxTypes[] = {"RCX 1.0", "RCX 1.5", "RCX 2.0"};

// The battery types the "Battery Levels" resource names, for translation.
[[maybe_unused]] constexpr const char* batteryTypes[] = {
    QT_TRANSLATE_NOOP("Localizable", "Alkaline"),
    QT_TRANSLATE_NOOP("Localizable", "Lithium"),
    QT_TRANSLATE_NOOP("Localizable", "NiMH rechargeable"),
};

// The USB tower's ranges in TowerRange's order, saved by these names.
constexpr const char* towerRanges[] = {
    QT_TRANSLATE_NOOP("Localizable", "Short"),
    QT_TRANSLATE_NOOP("Localizable", "Medium"),
    QT_TRANSLATE_NOOP("Localizable", "Long"),
};

// Medium, the tower's own, when none is saved.
TowerRange savedTowerRange(const QSettings& settings)
{
    const QString saved = settings.value(LegoController::towerRangeKey).toString();
    const auto* found = std::find_if(std::begin(towerRanges), std::end(towerRanges),
                                     [&](const char* range) { return saved == QLatin1String(range); });
    return found == std::end(towerRanges) ? TowerRange::mediumRange
                                          : static_cast<TowerRange>(found - std::begin(towerRanges));
}

double levelValue(const QJsonValue& value)
{
    return value.isString() ? value.toString().toDouble() : value.toDouble();
}

} // namespace

LegoController::LegoController(MainWindow& window, std::unique_ptr<AllPorts> ports)
    : theWindow(window)
    , myLink(*this, std::move(ports))
    , myPort(myLink.port())
    , myPacket(myLink.packet())
    , myRCXSender(myLink.sender())
    , myRCXController(myLink.controller())
    , myProgramFiles(myRCXController)
    , myDefaults("Infrabrick", "Infrabrick")
{
    Ui::LocalizableMainWindow& ui = window.controls();
    battery = ui.battery;
    datalog = ui.datalog;
    messages = ui.messages;
    messageFields = {ui.message1, ui.message2, ui.message3, ui.message4, ui.message5, ui.message6};
    outputs = {Output{1, remoteForwardA, remoteReverseA, ui.outputAStopGoButton, ui.outputADirButton, ui.outputAPowerButton, ui.outputAPowerValue},
               Output{2, remoteForwardB, remoteReverseB, ui.outputBStopGoButton, ui.outputBDirButton, ui.outputBPowerButton, ui.outputBPowerValue},
               Output{4, remoteForwardC, remoteReverseC, ui.outputCStopGoButton, ui.outputCDirButton, ui.outputCPowerButton, ui.outputCPowerValue}};
    sensors = {Sensor{ui.sensor1TypeButton, ui.sensor1ModeButton, ui.sensor1Value, ui.sensor1History},
               Sensor{ui.sensor2TypeButton, ui.sensor2ModeButton, ui.sensor2Value, ui.sensor2History},
               Sensor{ui.sensor3TypeButton, ui.sensor3ModeButton, ui.sensor3Value, ui.sensor3History}};
    theTabs = ui.theTabs;
    programName = ui.programName;
    runStopButton = ui.runStopButton;
    downloadedFile = ui.downloadedFile;
    followFileButton = ui.followFileButton;

    myDynamicSensorPanel = std::make_unique<DynamicSensorPanel>(&window);
    myDatalogDialogue = std::make_unique<DatalogPanel>(&window);
    myPreferencesPanel = std::make_unique<PreferencesPanel>(&window);
    myTimeoutPanel = std::make_unique<TimeoutPanel>(
        &window, QCoreApplication::translate("Localizable", "Brick Not Reachable"),
        QCoreApplication::translate("Localizable", "The brick does not answer"),
        QCoreApplication::translate("Localizable", "Check that the brick is switched on and faces the tower, close enough. "
                      "A brick that shows no program number after being switched on needs firmware."),
        true);
    myTowerErrorPanel = std::make_unique<TimeoutPanel>(
        &window, QCoreApplication::translate("Localizable", "IR Tower Not Usable"),
        QCoreApplication::translate("Localizable", "The infrared tower cannot be used"),
        QCoreApplication::translate("Localizable", "Check that the tower is plugged in and chosen in the preferences, "
                      "and that no other program is using it."),
        false);
    myFileProgressPanel = std::make_unique<FileProgressPanel>(&window);
    myCompileErrorPanel = std::make_unique<CompileErrorPanel>(&window);
    myDatalogWindow = std::make_unique<DatalogWindow>(&window);
    myStatusLine = std::make_unique<StatusLine>(*window.statusBar());
    memory = std::make_unique<Memory>();
    variables = std::make_unique<Variables>();

    // The brick as scripts see it. It hears of failed exchanges after this
    // controller, which is the one to show them.
    myRCXControllerScript = std::make_unique<RCXControllerScript>(myRCXController, myProgramFiles);
    myRCXSender.addController(myRCXControllerScript.get());

    // The window's frame is kept under "Window position".
    window.restoreFrame(myDefaults.value(windowPositionKey).toByteArray());
    connectActions();
}

LegoController::~LegoController() = default;

void LegoController::applicationDidFinishLaunching()
{
    memory->setupWithController(myRCXController);
    Ui::LocalizableMainWindow& ui = theWindow.controls();
    ui.memoryView->setModel(memory.get());
    ui.memoryView->expandToDepth(0);
    ui.variableView->setModel(variables.get());
    ui.variableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    messages->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    battery->setFullImage(QImage(":/images/BatteryFull.png"), QImage(":/images/BatteryEmpty.png"));
    battery->setToolTipFormat(QCoreApplication::translate("Localizable", "Battery level: %fv"));
    datalog->setMeterVisible(false);
    datalog->setFullImage(QImage(":/images/NotebookFull.png"), QImage(":/images/NotebookEmpty.png"));
    datalog->setToolTipFormat(QCoreApplication::translate("Localizable", "Datalog: %f values"));
    datalog->setController(this);
    ui.dropBox->setController(this);
    showDatalogFilename(myDefaults.value(datalogFilenameKey).toString());
    loadBatteryLevels();

    myTimer.setInterval(100);
    connect(&myTimer, &QTimer::timeout, this, &LegoController::doTime);
    myTimer.start();

    showProgramStatus();
    startWithSavedPort();

    syncWatchOn = myDefaults.value(syncWatchKey).toBool();
    batteryTime = myDefaults.value(batteryTimeKey).toInt();
    batteryVisible = true;
    inputTime = myDefaults.value(inputTimeKey).toInt();
    inputVisible = true;
    messageVisible = false;
    datalogTime = myDefaults.value(datalogTimeKey).toInt();
    datalogVisible = false;
    setBatteryLevels();
    setBrickType();
}

void LegoController::applicationShouldHandleReopen()
{
    if (!theWindow.isVisible()) {
        theTabs->setCurrentIndex(0);
        batteryVisible = inputVisible = true;
        messageVisible = datalogVisible = false;
        waitABit = 2;
    }
    theWindow.setWindowState(theWindow.windowState() & ~Qt::WindowMinimized);
    theWindow.show();
    theWindow.raise();
    theWindow.activateWindow();
}

void LegoController::applicationWillTerminate()
{
    saveWindowPosition();
    // The receive thread ends first, so that closing the port under its read
    // is no read error.
    myPacket.stopReadLoop();
    myPort.closePort();
}

void LegoController::saveWindowPosition()
{
    myDefaults.setValue(windowPositionKey, theWindow.saveGeometry());
}

bool LegoController::openSavedPort()
{
    const SavedPort saved = SavedPort::load(myDefaults);
    if (saved.path.isEmpty())
        return false;
    applyTowerRange();
    const bool opened = myPort.setPort(saved.type.toStdString(), saved.name.toStdString(), saved.path.toStdString())
                        == kIOReturnSuccess;
    myStatusLine->showPort(opened ? saved.name : QString());
    return opened;
}

void LegoController::applyTowerRange()
{
    myPort.setTowerRange(savedTowerRange(myDefaults));
}

void LegoController::startWithSavedPort()
{
    if (openSavedPort())
        restartLink(3);
    else
        setPreferences(false);
}

void LegoController::loadBatteryLevels()
{
    QFile file(":/Battery Levels.json");
    if (file.open(QIODevice::ReadOnly))
        batteryLevels = QJsonDocument::fromJson(file.readAll()).object();
}

void LegoController::showDatalogFilename(const QString& pattern)
{
    datalog->setFilename(pattern.isEmpty() ? QString(defaultDatalogFilename) : pattern);
}

void LegoController::setBatteryLevels()
{
    battery->setMaxLevel(myDefaults.value(batteryFullKey).toFloat(), myDefaults.value(batteryEmptyKey).toFloat());
}

void LegoController::setBrickType()
{
    myProgramFiles.setTarget(SavedBrickType::target(myDefaults));
}

void LegoController::connectActions()
{
    Ui::LocalizableMainWindow& ui = theWindow.controls();
    for (Output& output : outputs) {
        connect(output.dirButton, &QCheckBox::clicked, this, [this, &output] { outputDir(output); });
        connect(output.powerButton, &QSlider::valueChanged, this, [this, &output] { outputPow(output); });
        connect(output.stopGoButton, &QAbstractButton::clicked, this, [this, &output] { outputStopGo(output); });
    }
    const std::pair<QAbstractButton*, int> remoteButtons[] = {
        {ui.outputAFwdButton, outputs[0].forwardCode}, {ui.outputARevButton, outputs[0].reverseCode},
        {ui.outputBFwdButton, outputs[1].forwardCode}, {ui.outputBRevButton, outputs[1].reverseCode},
        {ui.outputCFwdButton, outputs[2].forwardCode}, {ui.outputCRevButton, outputs[2].reverseCode}};
    // A remote button runs its motor while it is held, as on the brick's own
    // remote: its word when pressed, the release word when let go.
    for (auto [button, code] : remoteButtons) {
        connect(button, &QAbstractButton::pressed, this, [this, code] { myRCXController.sendRemoteCommand(code); });
        connect(button, &QAbstractButton::released, this,
                [this] { myRCXController.sendRemoteCommand(remoteRelease); });
    }

    for (int number = 1; number <= 3; ++number) {
        Sensor& controls = sensors[number - 1];
        connect(controls.typeButton, &QComboBox::activated, this, [this, number] { sensorType(number); });
        connect(controls.modeButton, &QComboBox::activated, this, [this, number, &controls](int item) {
            sensorMode(number, item, controls.typeButton->currentText());
        });
    }
    const QAbstractButton* sendButtons[] = {ui.send1Button, ui.send2Button, ui.send3Button,
                                            ui.send4Button, ui.send5Button, ui.send6Button};
    for (int index = 0; index < 6; ++index)
        connect(sendButtons[index], &QAbstractButton::clicked, this,
                [this, field = messageFields[index]] { send(field); });

    connect(ui.progNumButton, &QButtonGroup::idClicked, this, &LegoController::progNum);
    connect(runStopButton, &QAbstractButton::clicked, this, &LegoController::runStop);
    connect(ui.beepButton, &QAbstractButton::clicked, this, &LegoController::beep);
    connect(ui.actionBeep, &QAction::triggered, this, &LegoController::beep);
    connect(ui.emergencyStopButton, &QAbstractButton::clicked, this, &LegoController::emergencyStop);
    connect(ui.actionStopAll, &QAction::triggered, this, &LegoController::emergencyStop);
    connect(ui.powerOffButton, &QAbstractButton::clicked, this, &LegoController::powerOff);
    connect(ui.actionPowerOff, &QAction::triggered, this, &LegoController::powerOff);
    connect(ui.actionCopy, &QAction::triggered, this, &LegoController::copy);
    connect(ui.updateWindowButton, &QAbstractButton::clicked, this, &LegoController::updateWindow);
    connect(ui.actionUpdateWindow, &QAction::triggered, this, &LegoController::updateWindow);
    connect(theTabs, &QTabWidget::currentChanged, this,
            [this](int index) { tabView(theTabs, theTabs->widget(index)); });

    connect(ui.theButton, &QAbstractButton::clicked, this, &LegoController::download);
    connect(ui.actionDownload, &QAction::triggered, this, &LegoController::chooseProgram);
    connect(ui.actionDownloadAgain, &QAction::triggered, this, &LegoController::downloadAgain);
    connect(ui.actionDownloadAndRun, &QAction::triggered, this, &LegoController::downloadAndRun);
    connect(followFileButton, &QAbstractButton::toggled, this, &LegoController::followFile);
    connect(&lastFile, &FollowedFile::changed, this, &LegoController::followedFileChanged);
    connect(&lastFile, &FollowedFile::removed, this, &LegoController::followedFileRemoved);
    connect(myRCXControllerScript.get(), &RCXControllerScript::programChanged, this,
            &LegoController::showScriptedProgram);
    connect(myRCXControllerScript.get(), &RCXControllerScript::sensorsChanged, this,
            &LegoController::refreshSoon);
    connect(ui.actionInstallFirmware, &QAction::triggered, this, &LegoController::installFirmware);
    connect(ui.actionSaveDatalog, &QAction::triggered, this, &LegoController::upload);
    connect(ui.actionSetDatalogSize, &QAction::triggered, this, &LegoController::clear);
    connect(ui.actionShowDatalog, &QAction::triggered, this, &LegoController::showDatalog);
    connect(datalog, &DatalogLevel::showRequested, this, &LegoController::showDatalog);
    connect(myDatalogWindow.get(), &DatalogWindow::uploadRequested, this, &LegoController::showDatalog);
    connect(ui.actionPreferences, &QAction::triggered, this, [this] { setPreferences(true); });
    connect(ui.actionQuit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(&theWindow, &MainWindow::windowWillClose, this, [this] {
        inputVisible = batteryVisible = messageVisible = datalogVisible = false;
        saveWindowPosition();
    });

    connect(myPreferencesPanel.get(), &QDialog::finished, this, &LegoController::prefsEnd);
    connect(myDynamicSensorPanel.get(), &QDialog::finished, this, &LegoController::sensorModeEnd);
    connect(myTimeoutPanel.get(), &QDialog::finished, this, &LegoController::timeoutEnd);
    connect(myTowerErrorPanel.get(), &QDialog::finished, this, &LegoController::towerErrorEnd);
    connect(myDatalogDialogue.get(), &QDialog::finished, this, &LegoController::datalogEnd);
    connect(myFileProgressPanel.get(), &QDialog::finished, this, &LegoController::fileOpEnd);
}

// ---- the preferences sheet -------------------------------------------------

void LegoController::setPreferences(bool fromUser)
{
    Ui::LocalizablePreferencesPanel& ui = myPreferencesPanel->controls();
    showErrors = false;
    fillPortMenu();
    fillBatteryTypeMenu();
    // A poll runs only with a period above its tick, so each menu offers
    // only the periods that work.
    fillRateMenu(ui.prefsBatteryRateMenu, batteryTick, initialBatteryTicks);
    fillRateMenu(ui.prefsInputRateMenu, input3Tick, initialInputTicks);
    fillRateMenu(ui.prefsDatalogRateMenu, datalogTick, initialDatalogTicks);
    ui.prefsRCXTypeMenu->clear();
    for (int tag = 0; const char* type : rcxTypes)
        ui.prefsRCXTypeMenu->addItem(type, tag++);
    ui.prefsCancelButton->setEnabled(fromUser);

    selectSaved(ui.prefsBatteryRateMenu, batterySelectionKey);
    selectSaved(ui.prefsInputRateMenu, inputSelectionKey);
    selectSaved(ui.prefsDatalogRateMenu, datalogSelectionKey);
    selectSaved(ui.prefsSerialPortMenu, portNameKey);
    if (!myDefaults.contains(portNameKey))
        selectAnnouncedTower(ui.prefsSerialPortMenu);
    int batteryType = ui.prefsBatteryTypeMenu->findData(myDefaults.value(batteryTypeKey).toString());
    if (batteryType >= 0)
        ui.prefsBatteryTypeMenu->setCurrentIndex(batteryType);
    selectSaved(ui.prefsRCXTypeMenu, rcxTypeKey);

    QString filename = myDefaults.value(datalogFilenameKey).toString();
    ui.prefsDatalogFilenameField->setText(filename.isEmpty() ? QString(defaultDatalogFilename) : filename);
    ui.prefsSyncWatch->setChecked(myDefaults.value(syncWatchKey).toBool());
    ui.prefsFastFirmware->setChecked(myDefaults.value(fastFirmwareKey).toBool());
    ui.prefsTowerRangeMenu->clear();
    for (const char* range : towerRanges)
        ui.prefsTowerRangeMenu->addItem(QCoreApplication::translate("Localizable", range));
    ui.prefsTowerRangeMenu->setCurrentIndex(static_cast<int>(savedTowerRange(myDefaults)));
    myPreferencesPanel->open();
}

void LegoController::fillPortMenu()
{
    QComboBox* menu = myPreferencesPanel->controls().prefsSerialPortMenu;
    menu->clear();
    int count = myPort.findPorts();
    for (int index = 0; index < count; ++index)
        menu->addItem(QString::fromStdString(myPort.portNameAtIndex(index)));
}

void LegoController::selectAnnouncedTower(QComboBox* menu)
{
    // A first start chooses a virtual brick when one announced itself: OK
    // alone then reaches a brick that answers.
    const std::optional<std::filesystem::path> folder = announcedTowersFolder();
    if (!folder)
        return;
    for (int index = 0; index < menu->count(); ++index) {
        if (std::filesystem::path(myPort.portPathAtIndex(index)).parent_path() == *folder) {
            menu->setCurrentIndex(index);
            return;
        }
    }
}

void LegoController::fillBatteryTypeMenu()
{
    QComboBox* menu = myPreferencesPanel->controls().prefsBatteryTypeMenu;
    menu->clear();
    for (const QString& type : batteryLevels.keys())
        menu->addItem(QCoreApplication::translate("Localizable", type.toUtf8().constData()), type);
}

void LegoController::fillRateMenu(QComboBox* menu, int highestRemainder, int initialTicks)
{
    menu->clear();
    for (const Rate& rate : rates)
        if (rate.ticks == 0 || rate.ticks > highestRemainder)
            menu->addItem(QCoreApplication::translate("Localizable", rate.title), rate.ticks);
    menu->setCurrentIndex(menu->findData(initialTicks));
}

void LegoController::selectSaved(QComboBox* menu, const char* key)
{
    int index = menu->findText(myDefaults.value(key).toString());
    if (index >= 0)
        menu->setCurrentIndex(index);
}

void LegoController::storeRate(QComboBox* menu, int& period, const char* timeKey, const char* selectionKey)
{
    period = menu->currentData().toInt();
    myDefaults.setValue(timeKey, period);
    myDefaults.setValue(selectionKey, menu->currentText());
}

void LegoController::prefsEnd(int returnCode)
{
    if (returnCode != 1) {
        showErrors = true;
        return;
    }
    Ui::LocalizablePreferencesPanel& ui = myPreferencesPanel->controls();
    syncWatchOn = ui.prefsSyncWatch->isChecked();
    myDefaults.setValue(syncWatchKey, syncWatchOn);
    myDefaults.setValue(fastFirmwareKey, ui.prefsFastFirmware->isChecked());
    myDefaults.setValue(towerRangeKey, towerRanges[ui.prefsTowerRangeMenu->currentIndex()]);
    storeRate(ui.prefsBatteryRateMenu, batteryTime, batteryTimeKey, batterySelectionKey);
    storeRate(ui.prefsInputRateMenu, inputTime, inputTimeKey, inputSelectionKey);
    storeRate(ui.prefsDatalogRateMenu, datalogTime, datalogTimeKey, datalogSelectionKey);

    QString filename = ui.prefsDatalogFilenameField->text();
    myDefaults.setValue(datalogFilenameKey, filename);
    showDatalogFilename(filename);

    QString batteryType = ui.prefsBatteryTypeMenu->currentData().toString();
    QJsonArray levels = batteryLevels.value(batteryType).toArray().at(ui.prefsRCXTypeMenu->currentData().toInt()).toArray();
    myDefaults.setValue(batteryFullKey, levelValue(levels.at(1)));
    myDefaults.setValue(batteryEmptyKey, levelValue(levels.at(0)));
    myDefaults.setValue(batteryTypeKey, batteryType);
    myDefaults.setValue(rcxTypeKey, ui.prefsRCXTypeMenu->currentText());
    setBatteryLevels();
    setBrickType();

    int port = ui.prefsSerialPortMenu->currentIndex();
    std::string type = myPort.portTypeAtIndex(port);
    std::string name = myPort.portNameAtIndex(port);
    std::string path = myPort.portPathAtIndex(port);
    applyTowerRange();
    if (myPort.setPort(type, name, path) != kIOReturnSuccess) {
        myStatusLine->showPort(QString());
        myStatusLine->showBrick(StatusLine::Brick::TowerUnusable);
        linkFailed(*myTowerErrorPanel);
        return;
    }
    myStatusLine->showPort(QString::fromStdString(name));
    resumePolling(2);
    SavedPort{QString::fromStdString(type), QString::fromStdString(name), QString::fromStdString(path)}.save(myDefaults);
}
