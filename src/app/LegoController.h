#pragma once

#include "app/FollowedFile.h"
#include "app/StatusLine.h"
#include "link/Control.h"
#include "models/SavedBrickType.h"
#include "models/SavedPort.h"
#include "rcx/FileOp.h"
#include "rcx/ProgramFileDownload.h"
#include "rcx/RCXLink.h"
#include "scripting/RCXControllerScript.h"
#include "views/FileActions.h"

#include <QDateTime>
#include <QFileDialog>
#include <QJsonObject>
#include <QObject>
#include <QSettings>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class AnimatedButton;
class CompileErrorPanel;
class DatalogLevel;
class DatalogPanel;
class DatalogWindow;
class DynamicSensorPanel;
class FileProgressPanel;
class LevelMeter;
class MainWindow;
class Memory;
class PreferencesPanel;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QSpinBox;
class QTabWidget;
class SensorHistoryView;
class TimeoutPanel;
class Variables;

// The application's controller: owns the chain of objects that talks to the
// brick, keeps the settings, polls the brick on a 0.1 s timer, turns the
// window's actions into brick commands, and shows transfers and link failures
// in sheets on the main window.
//
// Its concerns live in separate sources: start-up and settings
// (LegoController.cpp), polling (LegoPolling.cpp), direct control
// (LegoDirectControl.cpp) and file operations with the error sheets
// (LegoFileOperations.cpp).
class LegoController : public QObject, public Control, public FileOp, public FileActions {
    Q_OBJECT
public:
    // The settings keys.
    static constexpr const char* portTypeKey = SavedPort::typeKey;
    static constexpr const char* portNameKey = SavedPort::nameKey;
    static constexpr const char* portPathKey = SavedPort::pathKey;
    static constexpr const char* syncWatchKey = "Synchronise Watch";
    static constexpr const char* fastFirmwareKey = "Fast Firmware Download";
    static constexpr const char* towerRangeKey = "USB Tower Range";
    static constexpr const char* batteryTimeKey = "Battery Check Time";
    static constexpr const char* inputTimeKey = "Input Check Time";
    static constexpr const char* datalogTimeKey = "Datalog Check Time";
    static constexpr const char* batterySelectionKey = "Battery Check Selection";
    static constexpr const char* inputSelectionKey = "Input Check Selection";
    static constexpr const char* datalogSelectionKey = "Datalog Check Selection";
    static constexpr const char* batteryTypeKey = "Battery Type";
    static constexpr const char* rcxTypeKey = SavedBrickType::key;
    static constexpr const char* batteryFullKey = "Battery Full Level";
    static constexpr const char* batteryEmptyKey = "Battery Empty Level";
    static constexpr const char* datalogFilenameKey = "Datalog Filename";
    static constexpr const char* windowPositionKey = "Window position";

    // Creates the chain of objects that talks to the brick, the sheets, and
    // the brick as scripts see it; `ports` is the port list to use, by
    // default all ports of this machine.
    explicit LegoController(MainWindow& window, std::unique_ptr<AllPorts> ports = std::make_unique<AllPorts>());
    ~LegoController() override;

    // ---- start-up and settings
    void applicationDidFinishLaunching();
    // The application was started again while it runs.
    void applicationShouldHandleReopen();
    void applicationWillTerminate();
    // Opens the preferences sheet; only a sheet the user asked for can be
    // cancelled.
    void setPreferences(bool fromUser);
    void prefsEnd(int returnCode);

    // ---- polling
    void doTime();
    void tabView(QTabWidget* tabs, QWidget* item);

    // ---- file operations
    // The window's download button: deletes the slot's program instead while
    // the button reads "Delete".
    void download();
    // Asks for a program file (compiled, or an NQC source) and downloads it
    // into the current slot.
    void chooseProgram();
    // The last program file the window downloaded, again into the current
    // slot, compiled afresh when it is a source; and then run.
    void downloadAgain();
    void downloadAndRun();
    void installFirmware();
    void upload();
    void clear();
    void downloadFile(const QString& path) override;
    void uploadFile(const QString& path) override;
    // Uploads the datalog and shows it in the datalog window.
    void showDatalog();
    // Files given from outside (the command line, a second start): program
    // files are downloaded in turn into the current slot once the brick
    // answers; a firmware file is installed after the user agreed.
    void openFiles(const QStringList& paths);

    // ---- FileOp and Control
    void startFileOp(const std::string& title) override;
    void advanceBy(double increment) override;
    void abortFileOp(const std::string& message) override;
    void stopFileOp() override;
    void noteFileOp(const std::string& note) override;
    void timeout() override;
    void towerError() override;

    // For tests and tools: the controller's state.
    int outputDirection(int output) const { return outputs[output].dir; }
    int sensorModeStoreValue(int sensor) const { return sensorModeStore[sensor - 1]; }
    int sensorSlopeStoreValue(int sensor) const { return sensorSlopeStore[sensor - 1]; }
    PreferencesPanel& preferencesPanel() { return *myPreferencesPanel; }
    DynamicSensorPanel& dynamicSensorPanel() { return *myDynamicSensorPanel; }
    TimeoutPanel& timeoutPanel() { return *myTimeoutPanel; }
    TimeoutPanel& towerErrorPanel() { return *myTowerErrorPanel; }
    DatalogPanel& datalogPanel() { return *myDatalogDialogue; }
    FileProgressPanel& fileProgressPanel() { return *myFileProgressPanel; }
    CompileErrorPanel& compileErrorPanel() { return *myCompileErrorPanel; }
    FollowedFile& followedFile() { return lastFile; }
    DatalogWindow& datalogWindow() { return *myDatalogWindow; }
    QFileDialog* openPanel() const { return filePanel; }
    RCXController& controller() { return myRCXController; }
    // The brick as scripts see it.
    RCXControllerScript& scriptObject() { return *myRCXControllerScript; }
    QTimer& timer() { return myTimer; }

    // Ends the application whatever sheet is up (settings are saved on the
    // way out).
    static void endApplication();

private:
    // The tick within its period on which each poll runs.
    static constexpr int batteryTick = 8;
    static constexpr int input1Tick = 2;
    static constexpr int input2Tick = 4;
    static constexpr int input3Tick = 6;
    static constexpr int datalogTick = 2;

    // One motor output's controls and state.
    struct Output {
        int mask;
        int forwardCode;
        int reverseCode;
        AnimatedButton* stopGoButton;
        QCheckBox* dirButton;
        QSlider* powerButton;
        QLabel* powerValue;
        int dir = 0; // 1 forward and on, -1 reverse and on, 0 off
    };
    // One sensor's controls.
    struct Sensor {
        QComboBox* typeButton;
        QComboBox* modeButton;
        QLineEdit* value;
        SensorHistoryView* history;
    };

    // start-up and settings
    void connectActions();
    void loadBatteryLevels();
    void fillRateMenu(QComboBox* menu, int highestRemainder, int initialTicks);
    void fillPortMenu();
    void selectAnnouncedTower(QComboBox* menu);
    void fillBatteryTypeMenu();
    void selectSaved(QComboBox* menu, const char* key);
    void storeRate(QComboBox* menu, int& period, const char* timeKey, const char* selectionKey);
    void setBatteryLevels();
    // Sources are compiled for the brick type of the preferences.
    void setBrickType();
    void showDatalogFilename(const QString& pattern);
    // The range saved in the preferences, given to the ports for their next open.
    void applyTowerRange();
    bool openSavedPort();
    // Opens the saved port and restarts the link on it; without a usable
    // saved port, opens the preferences sheet.
    void startWithSavedPort();
    void saveWindowPosition();

    // polling
    // Reads the battery, sets the watch if chosen and reads the tab shown.
    void refresh();
    // Runs one exchange or more; true when no failure of the link was
    // reported meanwhile.
    template <typename Exchange> bool withoutFailure(Exchange exchange)
    {
        const int failuresBefore = linkFailures;
        exchange();
        return linkFailures == failuresBefore;
    }
    void readBattery();
    void readInput1();
    void readInput2();
    void readInput3();
    void readSensorValue(int sensor);
    void readDatalogSize();
    void readMessages();
    void appendMessageLine(const QString& line);
    void syncWatch();
    void readOutputSettings();
    void readInputSettings();
    // The window reads the brick afresh on the next tick, unless a refresh
    // is due anyway or the window is held back.
    void refreshSoon();
    void readProgramSettings();
    void readMemMap();
    void readVariables();
    void showDatalogMeter();

    // direct control
    void outputDir(Output& output);
    void outputPow(Output& output);
    void outputStopGo(Output& output);
    void beep();
    void emergencyStop();
    void powerOff();
    void send(QSpinBox* message);
    void progNum(int slot);
    void runStop();
    void updateWindow();
    void copy();
    void sensorType(int sensor);
    void sensorMode(int sensor, int item, const QString& typeTitle);
    void sensorModeEnd(int returnCode);
    void showProgramName();
    // A script chose a slot or changed its program: the window shows it.
    void showScriptedProgram();
    void endProgramHold();
    void showProgramStatus();

    // file operations and error sheets
    void downloadEnd(int returnCode);
    void firmwareEnd(int returnCode);
    void uploadEnd(int returnCode);
    void datalogEnd(int returnCode);
    // Downloads a program file, a source compiled first; a source that does
    // not compile shows its errors and leaves the slot alone. True when the
    // program is on the brick.
    bool downloadProgramFile(const QString& path);
    // The file is the one Download Again takes and the window follows.
    void rememberFile(const QString& path);
    void showLastDownload();
    void followFile(bool on);
    void followedFileChanged();
    void followedFileRemoved();
    // The files openFiles was given, now that the brick answers.
    void openPendingFiles();
    void askToInstallFirmware(const QString& path);
    void installFirmwareFile(const QString& path);
    void fileOpEnd(int returnCode);
    void timeoutEnd(int returnCode);
    void towerErrorEnd(int returnCode);
    // A sheet shows a failure: the link is blocked, so that every command
    // fails at once, and ticks and error sheets wait until it is done.
    void suspendForSheet();
    // The link reads again, and the brick's state is refreshed `ticks` ticks
    // later.
    void restartLink(int ticks);
    // A sheet of this controller is done: ticks and error sheets go on, and
    // the link restarts.
    void resumePolling(int ticks);
    // Runs `exchange` while a failed transfer's message shows. A transfer
    // that failed for a reason of its own left a working link, blocked only
    // for the message: it is released for the exchange, so that the message
    // is not replaced by a tower error. After a failure of the link itself
    // the exchange fails at once.
    void pastTransferFailure(const std::function<void()>& exchange);
    // A failed exchange: ends a transfer under way with `transferMessage`
    // (a "Localizable" key), or shows `sheet` unless errors are held back.
    void reportLinkFailure(const char* transferMessage, TimeoutPanel& sheet, StatusLine::Brick brick);
    // Blocks the link, stops polling and shows the sheet of a link failure.
    void linkFailed(TimeoutPanel& sheet);
    QFileDialog* beginFilePanel(QFileDialog::AcceptMode mode, const QStringList& filters,
                                void (LegoController::*endHandler)(int));
    QString chosenFile();

    MainWindow& theWindow;
    LevelMeter* battery;
    DatalogLevel* datalog;
    std::unique_ptr<DynamicSensorPanel> myDynamicSensorPanel;
    std::unique_ptr<DatalogPanel> myDatalogDialogue;
    std::unique_ptr<PreferencesPanel> myPreferencesPanel;
    std::unique_ptr<TimeoutPanel> myTimeoutPanel;
    std::unique_ptr<TimeoutPanel> myTowerErrorPanel;
    std::unique_ptr<FileProgressPanel> myFileProgressPanel;
    std::unique_ptr<CompileErrorPanel> myCompileErrorPanel;
    std::unique_ptr<DatalogWindow> myDatalogWindow;
    std::unique_ptr<StatusLine> myStatusLine;
    std::unique_ptr<Memory> memory;
    std::unique_ptr<Variables> variables;
    QPlainTextEdit* messages;
    std::array<QSpinBox*, 6> messageFields;
    std::array<Output, 3> outputs;
    std::array<Sensor, 3> sensors;
    QTabWidget* theTabs;
    QLineEdit* programName;
    QAbstractButton* runStopButton;
    QLabel* downloadedFile;
    QCheckBox* followFileButton;

    // The chain, and the names its objects go by here.
    RCXLink myLink;
    AllPorts& myPort;
    RCXPacket& myPacket;
    RCXSender& myRCXSender;
    RCXController& myRCXController;
    ProgramFileDownload myProgramFiles;
    std::unique_ptr<RCXControllerScript> myRCXControllerScript;

    int timeCount = 0;
    int inputTime = 0;
    int batteryTime = 0;
    int datalogTime = 0;
    int waitABit = 0;
    std::array<int, 3> sensorModeStore{};
    std::array<int, 3> sensorSlopeStore{};
    int messageNum = 0;
    // Failures of the link reported so far (timeouts and tower errors).
    int linkFailures = 0;
    bool inputVisible = false;
    bool batteryVisible = false;
    bool messageVisible = false;
    bool datalogVisible = false;
    bool showErrors = true;
    bool syncWatchOn = false;
    // The link itself failed during the current transfer: its message stays
    // on the sheet. A transfer that failed for a reason of its own leaves a
    // working link: after its message the link is released and polling
    // resumes.
    bool linkFailedInTransfer = false;
    QJsonObject batteryLevels;
    QSettings myDefaults;
    QTimer myTimer;
    QFileDialog* filePanel = nullptr;
    // The last program file given to the window's download, and when it
    // last went onto the brick.
    QStringList pendingFiles;
    QString lastPath;
    QDateTime lastDownloadTime;
    FollowedFile lastFile;
};
