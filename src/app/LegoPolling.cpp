// LegoController: the 0.1 s polling timer, the tabs and the reads behind them.
#include "app/LegoController.h"

#include "app/BusyCursor.h"
#include "app/FileProgressPanel.h"
#include "app/MainWindow.h"
#include "models/Memory.h"
#include "models/Variables.h"
#include "ui_MainWindow.h"
#include "views/AnimatedButton.h"
#include "views/DatalogLevel.h"
#include "views/LevelMeter.h"
#include "views/SensorHistoryView.h"
#include "views/SensorValueText.h"
#include "views/VariableView.h"

#include <QLocale>
#include <QScrollBar>

#include <ctime>

void LegoController::doTime()
{
    // While a transfer's sheet is up the transfer has the brick (a tick can
    // come while the sheet is being put on screen).
    if (!showErrors || waitABit < 0 || myFileProgressPanel->isVisible())
        return;
    if (waitABit > 0) {
        if (--waitABit == 0)
            refresh();
        return;
    }
    ++timeCount;
    auto due = [this](int period, int tick) { return period != 0 && timeCount % period == tick; };
    if (batteryVisible && due(batteryTime, batteryTick))
        readBattery();
    if (inputVisible) {
        for (Output& output : outputs) {
            if (output.dir > 0)
                output.stopGoButton->nextFrame();
            else if (output.dir < 0)
                output.stopGoButton->lastFrame();
        }
        if (due(inputTime, input1Tick))
            readInput1();
        if (due(inputTime, input2Tick))
            readInput2();
        if (due(inputTime, input3Tick))
            readInput3();
    }
    if (messageVisible && timeCount % 3 == 1)
        readMessages();
    if (datalogVisible && due(datalogTime, datalogTick))
        readDatalogSize();
}

void LegoController::refresh()
{
    const BusyCursor busy;
    bool batteryAnswered = false;
    const bool answered = withoutFailure([&] {
        batteryAnswered = withoutFailure([this] { readBattery(); });
        if (syncWatchOn)
            syncWatch();
        tabView(theTabs, theTabs->currentWidget());
    });
    if (answered) {
        myStatusLine->showBrick(StatusLine::Brick::Answering);
        openPendingFiles();
    }
    // The boot ROM answers the battery and nothing the firmware does.
    else if (batteryAnswered && myStatusLine->brick() == StatusLine::Brick::NotAnswering)
        myStatusLine->showBrick(StatusLine::Brick::NoFirmware);
}

void LegoController::refreshSoon()
{
    if (showErrors && waitABit == 0)
        waitABit = 1;
}

void LegoController::tabView(QTabWidget*, QWidget* item)
{
    if (!item)
        return;
    // A real tower takes a tenth of a second or more for each read.
    const BusyCursor busy;
    const QString identifier = item->objectName();
    if (identifier == "Test") {
        inputVisible = true;
        messageVisible = datalogVisible = false;
        readOutputSettings();
        readInputSettings();
    } else if (identifier == "Run") {
        inputVisible = false;
        messageVisible = true;
        readProgramSettings();
        showDatalogMeter();
        datalogVisible = myRCXController.datalogSize() > 0 && !runStopButton->isChecked();
    } else if (identifier == "Memory") {
        inputVisible = messageVisible = datalogVisible = false;
        readMemMap();
    } else if (identifier == "Variables") {
        inputVisible = messageVisible = datalogVisible = false;
        readVariables();
    }
}

void LegoController::showDatalogMeter()
{
    datalog->setMeterVisible(myRCXController.datalogSize() > 0);
}

// ---- the periodic polls ----------------------------------------------------

void LegoController::readBattery()
{
    battery->setLevel(static_cast<float>(myRCXController.readBatteryLevel() / 1000.0));
}

void LegoController::readInput1()
{
    readSensorValue(1);
}

void LegoController::readInput2()
{
    readSensorValue(2);
}

void LegoController::readInput3()
{
    readSensorValue(3);
}

void LegoController::readSensorValue(int sensor)
{
    const Sensor& controls = sensors[sensor - 1];
    const int type = controls.typeButton->currentIndex();
    if (type == 0) {
        controls.value->clear();
        controls.history->clear();
        return;
    }
    const int value = myRCXController.readInput(sensor);
    // The mode store adds 8 for a mode with a slope.
    controls.value->setText(sensorValueText(value, sensorModeStore[sensor - 1] % 8));
    controls.history->record(value, {type, sensorModeStore[sensor - 1], sensorSlopeStore[sensor - 1]},
                             SensorHistory::Clock::now());
}

void LegoController::readDatalogSize()
{
    int size = myRCXController.datalogSize();
    if (size == 0)
        return;
    int used = myRCXController.datalogUsed();
    datalog->setMaxLevel(static_cast<float>(size), 0.0f);
    datalog->setLevel(static_cast<float>(used));
}

void LegoController::readMessages()
{
    for (;;) {
        int message = myRCXController.getMessage(messageNum, 0.0f);
        if (message == RCXPacket::noSuchMessage) {
            // Messages the link layer no longer holds are gone for good: say
            // so and go on from the oldest one still held, or the log would
            // wait for them for ever.
            int oldestHeld = myRCXController.oldestHeldMessage();
            if (messageNum >= oldestHeld)
                return;
            appendMessageLine(QCoreApplication::translate("Localizable", "(%1 messages missed)")
                                  .arg(QLocale().toString(oldestHeld - messageNum)));
            messageNum = oldestHeld;
            continue;
        }
        if (message < 0)
            return;
        appendMessageLine(QLocale().toString(message));
        ++messageNum;
    }
}

void LegoController::appendMessageLine(const QString& line)
{
    QTextCursor end(messages->document());
    end.movePosition(QTextCursor::End);
    end.insertText(messages->document()->isEmpty() ? line : "\n" + line);
    messages->verticalScrollBar()->setValue(messages->verticalScrollBar()->maximum());
}

void LegoController::syncWatch()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    myRCXController.setWatchTime(local.tm_hour, local.tm_min);
}

// ---- the reads of each tab -------------------------------------------------

void LegoController::readOutputSettings()
{
    for (int number = 1; Output& output : outputs) {
        OutputSettings settings = myRCXController.readOutputSettings(number++);
        bool on = settings.onOffFloat == 2;
        output.stopGoButton->setChecked(on);
        output.dir = on ? 1 : 0;
        output.dirButton->setChecked(settings.direction == 0);
        if (settings.direction == 0)
            output.dir = -output.dir;
        // Showing the brick's power is no command to set it.
        const QSignalBlocker quiet(output.powerButton);
        output.powerButton->setValue(settings.power);
        output.powerValue->setNum(output.powerButton->value());
        // Shown as it is read: the event loop is held until all are.
        theTabs->currentWidget()->repaint();
    }
}

void LegoController::readInputSettings()
{
    for (int number = 1; number <= 3; ++number) {
        SensorSettings settings = myRCXController.readSensorSettings(number);
        Sensor& controls = sensors[number - 1];
        const QSignalBlocker quietType(controls.typeButton);
        const QSignalBlocker quietMode(controls.modeButton);
        controls.typeButton->setCurrentIndex(settings.type);
        sensorSlopeStore[number - 1] = settings.slope;
        if (settings.slope == 0) {
            controls.modeButton->setCurrentIndex(settings.mode);
            sensorModeStore[number - 1] = settings.mode;
        } else {
            controls.modeButton->setCurrentIndex(8);
            sensorModeStore[number - 1] = settings.mode + 8;
        }
        // Shown as it is read, as the outputs are.
        theTabs->currentWidget()->repaint();
    }
}

void LegoController::readProgramSettings()
{
    QAbstractButton* cell = theWindow.controls().progNumButton->button(myRCXController.syncProgNum());
    if (cell)
        cell->setChecked(true);
    showProgramStatus();
}

void LegoController::readMemMap()
{
    std::uint8_t map[RCXController::memMapLength] = {};
    myRCXController.readMemMap(map);
    showProgramName();
    memory->loadData(map);
}

void LegoController::readVariables()
{
    // Each row is drawn as it is read: the event loop is held meanwhile.
    QTableView* view = theWindow.controls().variableView;
    const QMetaObject::Connection drawing =
        connect(variables.get(), &QAbstractItemModel::dataChanged, view, [view] { view->viewport()->repaint(); });
    variables->loadValues(myRCXController);
    disconnect(drawing);
}
