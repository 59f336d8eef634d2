// LegoController: the window's direct-control actions.
#include "app/LegoController.h"

#include "app/DynamicSensorPanel.h"
#include "app/MainWindow.h"
#include "protocol/RemoteControl.h"
#include "protocol/Sensors.h"
#include "ui_DynamicSensorPanel.h"
#include "ui_MainWindow.h"
#include "views/AnimatedButton.h"
#include "views/MemoryView.h"
#include "views/VariableView.h"

#include <QApplication>

// ---- outputs ---------------------------------------------------------------

void LegoController::outputDir(Output& output)
{
    output.dir = -output.dir;
    myRCXController.setOutputsDirection(output.mask, output.dirButton->isChecked() ? 0 : 2);
}

void LegoController::outputPow(Output& output)
{
    myRCXController.setOutputsPower(output.mask, output.powerButton->value());
}

void LegoController::outputStopGo(Output& output)
{
    if (output.stopGoButton->isChecked()) {
        output.dir = output.dirButton->isChecked() ? -1 : 1;
        myRCXController.setOutputsOnOffFloat(output.mask, 2);
    } else {
        output.dir = 0;
        myRCXController.setOutputsOnOffFloat(output.mask, 1);
    }
}

// ---- the brick as a whole --------------------------------------------------

void LegoController::beep()
{
    myRCXController.sendRemoteCommand(remoteRelease);
    myRCXController.sendRemoteCommand(remoteBeep);
}

void LegoController::emergencyStop()
{
    myRCXController.sendRemoteCommand(remoteRelease);
    myRCXController.sendRemoteCommand(remoteStop);
    for (Output& output : outputs) {
        output.dir = 0;
        output.stopGoButton->setChecked(false);
    }
    // The program is stopped, as Stop stops it.
    runStopButton->setChecked(false);
    endProgramHold();
}

void LegoController::powerOff()
{
    if (withoutFailure([this] { myRCXController.powerOff(); }))
        myStatusLine->showBrick(StatusLine::Brick::SwitchedOff);
}

void LegoController::send(QSpinBox* message)
{
    myRCXController.sendMessage(message->value());
}

void LegoController::progNum(int slot)
{
    myRCXController.selectProgram(slot);
    runStopButton->setChecked(false);
    showProgramName();
    showProgramStatus();
}

void LegoController::showProgramName()
{
    const std::string& name = myRCXController.currentProgName();
    programName->setText(QString::fromStdString(name));
    theWindow.setSlotEmpty(name.empty());
}

void LegoController::showScriptedProgram()
{
    if (QAbstractButton* cell = theWindow.controls().progNumButton->button(myRCXController.currentSlot()))
        cell->setChecked(true);
    showProgramName();
    showProgramStatus();
}

void LegoController::showProgramStatus()
{
    // Whether a program runs is known from the window's own Run and Stop:
    // asking the brick would add a poll.
    myStatusLine->showProgram(myRCXController.currentSlot(), runStopButton->isChecked());
}

void LegoController::runStop()
{
    if (runStopButton->isChecked()) {
        datalogVisible = batteryVisible = false;
        myRCXController.runCurrentProgram();
    } else {
        myRCXController.stopProgram();
        endProgramHold();
        return;
    }
    showProgramStatus();
}

void LegoController::endProgramHold()
{
    // A running program held the battery's poll, and the datalog's, which
    // runs on the "Run" tab only.
    batteryVisible = true;
    datalogVisible = theTabs->currentWidget()->objectName() == "Run" && myRCXController.datalogSize() > 0;
    showProgramStatus();
}

void LegoController::updateWindow()
{
    waitABit = 1;
}

void LegoController::copy()
{
    // The shortcut belongs to the window, so the control with the focus
    // copies its own selection: a text field, the message log, or the rows
    // of the memory tree or the variables table.
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !QMetaObject::invokeMethod(focus, "copy")) {
        QWidget* page = theTabs->currentWidget();
        if (page == theWindow.controls().Memory)
            theWindow.controls().memoryView->copy();
        else if (page == theWindow.controls().Variables)
            theWindow.controls().variableView->copy();
    }
}

// ---- sensors ---------------------------------------------------------------

void LegoController::sensorType(int sensor)
{
    Sensor& controls = sensors[sensor - 1];
    int type = controls.typeButton->currentIndex();
    myRCXController.setSensorType(sensor, type);
    int mode = defaultMode(type);
    sensorModeStore[sensor - 1] = mode;
    sensorSlopeStore[sensor - 1] = 0;
    controls.modeButton->setCurrentIndex(mode);
}

void LegoController::sensorMode(int sensor, int item, const QString& typeTitle)
{
    if (item != 8) {
        myRCXController.setSensorMode(sensor, item);
        sensorModeStore[sensor - 1] = item;
        sensorSlopeStore[sensor - 1] = 0;
        return;
    }
    Ui::LocalizableDynamicSensorPanel& ui = myDynamicSensorPanel->controls();
    ui.dynamicSensorNumber->setValue(sensor);
    ui.dynamicSensorType->setText(typeTitle);
    ui.dynamicSensorModeMenu->setCurrentIndex(sensorModeStore[sensor - 1] % 8);
    ui.dynamicSensorSlope->setValue(sensorSlopeStore[sensor - 1]);
    myDynamicSensorPanel->open();
}

void LegoController::sensorModeEnd(int returnCode)
{
    Ui::LocalizableDynamicSensorPanel& ui = myDynamicSensorPanel->controls();
    int sensor = ui.dynamicSensorNumber->value();
    if (sensor < 1 || sensor > 3)
        return;
    if (returnCode == 1) {
        int mode = ui.dynamicSensorModeMenu->currentIndex();
        int slope = ui.dynamicSensorSlope->value();
        myRCXController.setSensorModeSlope(sensor, mode, slope);
        sensorSlopeStore[sensor - 1] = slope;
        if (slope != 0) {
            sensorModeStore[sensor - 1] = mode + 8;
            return;
        }
        sensorModeStore[sensor - 1] = mode;
    }
    sensors[sensor - 1].modeButton->setCurrentIndex(std::min(sensorModeStore[sensor - 1], 8));
}
