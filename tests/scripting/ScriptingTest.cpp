// Scripting through a real D-Bus client: the application's window and
// controller run here, offscreen, on a private session bus, against the
// virtual brick as a process; the client is a connection of its own, so every
// call goes through the bus daemon. What the scripts do is checked at the
// brick, in the commands it heard.
#include "support/QtPrinters.h"
#include "support/SimProcess.h"

#include "app/ApplicationBus.h"
#include "app/FileProgressPanel.h"
#include "app/LegoController.h"
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace {

using namespace std::chrono_literals;

const QString service = SingleInstance::serviceName;
const QString propertiesInterface = "org.freedesktop.DBus.Properties";

// Four-character codes as scripts write them.
constexpr int code(const char (&characters)[5])
{
    return characters[0] << 24 | characters[1] << 16 | characters[2] << 8 | characters[3];
}

class ScriptingTest : public ::testing::Test {
protected:
    ScriptingTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings store("Infrabrick", "Infrabrick");
        store.setValue(LegoController::portTypeKey, "Serial");
        store.setValue(LegoController::portNameKey, "Virtual RCX");
        store.setValue(LegoController::portPathKey, QString::fromStdString(sim.path()));
        store.sync();

        controller = std::make_unique<LegoController>(window);
        bus = std::make_unique<ApplicationBus>(*controller, QDBusConnection::sessionBus());
        window.show();
        controller->applicationDidFinishLaunching();
        // No polls: the brick hears only what the scripts send.
        controller->timer().stop();
    }

    void SetUp() override
    {
        ASSERT_TRUE(sim.path().starts_with("/dev/")) << "the virtual brick did not start";
        ASSERT_TRUE(client.isConnected()) << "no session bus: run inside dbus-run-session";
        ASSERT_TRUE(bus->registered());
        ASSERT_TRUE(bus->claim());
        heard();
    }

    // Calls over the bus and waits for the answer, serving the call meanwhile.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message, 60'000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 60'000));
        return pending.reply();
    }

    QDBusMessage command(const QString& path, const QString& interface, const QString& method,
                         const QVariantMap& arguments = {})
    {
        return call(path, interface, method, {arguments});
    }

    QVariant get(const QString& path, const QString& interface, const QString& property)
    {
        const QDBusMessage reply = call(path, propertiesInterface, "Get", {interface, property});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    void set(const QString& path, const QString& interface, const QString& property, const QVariant& value)
    {
        const QDBusMessage reply =
            call(path, propertiesInterface, "Set", {interface, property, QVariant::fromValue(QDBusVariant(value))});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    // The commands the brick heard since the last call, without the toggle
    // bit, as hex texts ("13 03 02 04").
    QStringList heard()
    {
        const QJsonArray history = QJsonDocument::fromJson(QByteArray::fromStdString(sim.control("history"))).array();
        EXPECT_EQ(sim.control("history clear"), "ok");
        QStringList commands;
        for (const QJsonValue& entry : history) {
            QString command = entry.toString();
            const int opcode = command.left(2).toInt(nullptr, 16) & 0xF7;
            commands.append(QStringLiteral("%1").arg(opcode, 2, 16, QChar('0')).toUpper() + command.mid(2));
        }
        return commands;
    }

    std::string control(const std::string& line) { return sim.control(line); }

    QTemporaryDir settingsFolder;
    SimProcess sim{INFRABRICK_SIM};
    MainWindow window;
    std::unique_ptr<LegoController> controller;
    std::unique_ptr<ApplicationBus> bus;
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "script client");
};

std::vector<QString> paths(const QVariant& value)
{
    std::vector<QString> result;
    for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(value))
        result.push_back(path.path());
    return result;
}

QList<int> integers(const QVariant& value)
{
    return qdbus_cast<QList<int>>(value);
}

// ---- properties ------------------------------------------------------------

TEST(MotorOutputTest, ReadsTheHighestOutputOfTheMask)
{
    const std::pair<int, int> masks[] = {{1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 3}, {6, 3}, {7, 3}, {0, 3}, {-1, 3}};
    for (const auto& [mask, output] : masks)
        EXPECT_EQ(RCXMotorOutput::l2p1(mask), output) << "mask " << mask;
}

struct Write {
    const char* path;
    const char* interface;
    const char* property;
    int value;
    QStringList commands;
};

TEST_F(ScriptingTest, PropertyWritesSendTheirCommands)
{
    const Write writes[] = {
        {"/Brick/Outputs/AB", "MotorOutput", "power", 5, {"13 03 02 04"}},
        {"/Brick/Outputs/A", "MotorOutput", "power", 0, {}},
        {"/Brick/Outputs/ABC", "MotorOutput", "power", 9, {}},
        {"/Brick/Outputs/A", "MotorOutput", "activity", code("OuA2"), {"21 81"}},
        {"/Brick/Outputs/AC", "MotorOutput", "activity", code("OuA0"), {"21 05"}},
        {"/Brick/Outputs/BC", "MotorOutput", "direction", code("OuD0"), {"E1 06"}},
        {"/Brick/Outputs/C", "MotorOutput", "direction", code("OuD2"), {"E1 84"}},
        {"/Brick/Inputs/2", "SensorInput", "type", code("SeT1"), {"32 01 01"}},
        {"/Brick/Inputs/3", "SensorInput", "mode", code("SeM4"), {"42 02 80"}},
        {"/Brick/Variables/5", "Variable", "value", 70000, {"14 05 02 70 11"}},
        {"/Brick/Variables/31", "Variable", "value", -1, {"14 1F 02 FF FF"}},
        {"/Brick/Datalog", "Datalog", "totalSize", 50, {"52 32 00"}},
        {"/Brick", "Brick", "currentSlot", 0, {"91 04"}},
    };
    for (const Write& write : writes) {
        SCOPED_TRACE(std::string(write.path) + " " + write.property);
        const QVariant value = QString(write.property) == "currentSlot"
                                   ? QVariant::fromValue(QDBusObjectPath("/Brick/Slots/5"))
                                   : QVariant(write.value);
        set(write.path, QStringLiteral("org.infrabrick.") + write.interface, write.property, value);
        EXPECT_EQ(heard(), write.commands);
    }
}

TEST_F(ScriptingTest, OutputsReadTheirLastLetteredMember)
{
    set("/Brick/Outputs/B", "org.infrabrick.MotorOutput", "power", 6);
    set("/Brick/Outputs/B", "org.infrabrick.MotorOutput", "activity", code("OuA2"));
    set("/Brick/Outputs/A", "org.infrabrick.MotorOutput", "power", 2);
    heard();

    EXPECT_EQ(get("/Brick/Outputs/AB", "org.infrabrick.MotorOutput", "name").toString(), "AB");
    EXPECT_EQ(get("/Brick/Outputs/AB", "org.infrabrick.MotorOutput", "power").toInt(), 6);
    EXPECT_EQ(get("/Brick/Outputs/AB", "org.infrabrick.MotorOutput", "activity").toInt(), code("OuA2"));
    EXPECT_EQ(get("/Brick/Outputs/A", "org.infrabrick.MotorOutput", "power").toInt(), 2);
    EXPECT_EQ(heard(), QStringList({"12 03 01", "12 03 01", "12 03 00"}));

    command("/Brick/Outputs/B", "org.infrabrick.MotorOutput", "Stop");
    EXPECT_EQ(heard(), QStringList({"21 42"}));
    EXPECT_EQ(get("/Brick/Outputs/B", "org.infrabrick.MotorOutput", "activity").toInt(), code("OuA1"));
}

TEST_F(ScriptingTest, SensorModeAndSlopeCodes)
{
    // Mode 5 with slope 10 is the mode byte 0xAA.
    set("/Brick/Inputs/1", "org.infrabrick.SensorInput", "mode", code("SeM5"));
    set("/Brick/Inputs/1", "org.infrabrick.SensorInput", "slope", 10);
    EXPECT_EQ(heard(), QStringList({"42 00 A0", "12 0A 00", "12 0B 00", "42 00 AA"}));

    EXPECT_EQ(get("/Brick/Inputs/1", "org.infrabrick.SensorInput", "mode").toInt(), code("SeM5"));
    EXPECT_EQ(get("/Brick/Inputs/1", "org.infrabrick.SensorInput", "slope").toInt(), 10);
    heard();
    set("/Brick/Inputs/1", "org.infrabrick.SensorInput", "slope", 40);
    EXPECT_EQ(heard(), QStringList({"12 0A 00", "12 0B 00"}));
    set("/Brick/Inputs/1", "org.infrabrick.SensorInput", "slope", 12);
    EXPECT_EQ(heard(), QStringList({"12 0A 00", "12 0B 00", "42 00 AC"}));
}

TEST_F(ScriptingTest, SensorTypeAndValue)
{
    set("/Brick/Inputs/3", "org.infrabrick.SensorInput", "type", code("SeT3"));
    set("/Brick/Inputs/3", "org.infrabrick.SensorInput", "mode", code("SeM4"));
    ASSERT_EQ(control("sensor 3 raw 350"), "ok");
    heard();
    EXPECT_EQ(get("/Brick/Inputs/3", "org.infrabrick.SensorInput", "name").toString(), "3");
    EXPECT_EQ(get("/Brick/Inputs/3", "org.infrabrick.SensorInput", "type").toInt(), code("SeT3"));
    EXPECT_EQ(get("/Brick/Inputs/3", "org.infrabrick.SensorInput", "value").toInt(), 96); // 146 - 350 / 7
    EXPECT_EQ(heard(), QStringList({"12 0A 02", "12 0B 02", "12 09 02"}));
}

TEST_F(ScriptingTest, BatteryVariablesAndTheCurrentSlot)
{
    ASSERT_EQ(control("battery 8250"), "ok");
    EXPECT_EQ(get("/Brick", "org.infrabrick.Brick", "batteryLevel").toInt(), 8250);
    set("/Brick/Variables/5", "org.infrabrick.Variable", "value", 70000);
    EXPECT_EQ(get("/Brick/Variables/5", "org.infrabrick.Variable", "value").toInt(), 4464);
    EXPECT_EQ(get("/Brick/Variables/5", "org.infrabrick.Variable", "number").toInt(), 5);
    command("/Brick/Slots/4", "org.infrabrick.ProgramSlot", "Select");
    heard();
    EXPECT_EQ(get("/Brick", "org.infrabrick.Brick", "currentSlot").value<QDBusObjectPath>().path(), "/Brick/Slots/4");
    EXPECT_EQ(heard(), QStringList({"12 08 00"}));
}

TEST_F(ScriptingTest, ElementListsNameEveryObject)
{
    const QString brick = "/Brick";
    EXPECT_EQ(paths(get(brick, "org.infrabrick.Brick", "myRCXInputs")),
              (std::vector<QString>{"/Brick/Inputs/1", "/Brick/Inputs/2", "/Brick/Inputs/3"}));
    const auto outputs = paths(get(brick, "org.infrabrick.Brick", "myRCXOutputs"));
    ASSERT_EQ(outputs.size(), 7u);
    const char* const names[] = {"A", "B", "AB", "C", "AC", "BC", "ABC"};
    for (std::size_t index = 0; index < outputs.size(); ++index) {
        EXPECT_EQ(outputs[index], QStringLiteral("/Brick/Outputs/") + names[index]);
        EXPECT_EQ(get(outputs[index], "org.infrabrick.MotorOutput", "name").toString(), names[index]);
    }
    const auto programSlots = paths(get(brick, "org.infrabrick.Brick", "myRCXSlots"));
    ASSERT_EQ(programSlots.size(), 5u);
    EXPECT_EQ(programSlots.back(), "/Brick/Slots/5");
    EXPECT_EQ(get(programSlots.back(), "org.infrabrick.ProgramSlot", "number").toInt(), 5);
    const auto variables = paths(get(brick, "org.infrabrick.Brick", "myRCXVariables"));
    ASSERT_EQ(variables.size(), 32u);
    EXPECT_EQ(variables.back(), "/Brick/Variables/31");
    EXPECT_EQ(get(brick, "org.infrabrick.Brick", "myRCXDatalog").value<QDBusObjectPath>().path(), "/Brick/Datalog");
    // Reading the lists asks nothing of the brick.
    EXPECT_EQ(heard(), QStringList());
}

// The members of `interface` in an introspection text: "property name type
// access" and "method name".
QStringList membersOf(const QString& xml, const QString& interface)
{
    QStringList members;
    QXmlStreamReader reader(xml);
    QString current;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == u"interface")
            current = attributes.value("name").toString();
        else if (current == interface && reader.name() == u"property")
            members.append(QStringList{"property", attributes.value("name").toString(),
                                       attributes.value("type").toString(), attributes.value("access").toString()}
                               .join(' '));
        else if (current == interface && reader.name() == u"method")
            members.append("method " + attributes.value("name").toString());
    }
    return members;
}

TEST_F(ScriptingTest, IntrospectionDescribesTheInterfaces)
{
    const struct {
        const char* path;
        const char* interface;
        QStringList members;
    } objects[] = {
        {"/Brick",
         "org.infrabrick.Brick",
         {"property batteryLevel i read", "property currentSlot o readwrite", "property messages ai read",
          "property myRCXInputs ao read", "property myRCXOutputs ao read", "property myRCXSlots ao read",
          "property myRCXVariables ao read", "property myRCXDatalog o read", "method Run", "method Stop",
          "method Send"}},
        {"/Brick/Inputs/2",
         "org.infrabrick.SensorInput",
         {"property name s read", "property value i read", "property type i readwrite", "property mode i readwrite",
          "property slope i readwrite"}},
        {"/Brick/Outputs/BC",
         "org.infrabrick.MotorOutput",
         {"property name s read", "property activity i readwrite", "property direction i readwrite",
          "property power i readwrite", "method Stop"}},
        {"/Brick/Slots/1",
         "org.infrabrick.ProgramSlot",
         {"property name s read", "property number i read", "method Select", "method Delete", "method Download",
          "method Run", "method Stop"}},
        {"/Brick/Datalog", "org.infrabrick.Datalog", {"property totalSize i readwrite", "method Delete", "method Save"}},
        {"/Brick/Variables/0",
         "org.infrabrick.Variable",
         {"property name s read", "property number i read", "property value i readwrite"}},
    };
    for (const auto& object : objects) {
        SCOPED_TRACE(object.path);
        const QDBusMessage reply = call(object.path, "org.freedesktop.DBus.Introspectable", "Introspect");
        EXPECT_EQ(membersOf(reply.arguments().value(0).toString(), object.interface), object.members);
    }
}

// ---- commands --------------------------------------------------------------

TEST_F(ScriptingTest, BrickCommands)
{
    const struct {
        const char* method;
        QVariantMap arguments;
        QStringList commands;
    } cases[] = {
        {"Run", {}, {"71 00"}},
        {"Stop", {}, {"D2 00 00", "D2 40 00"}},
        {"Send", {{"Message", 7}}, {"F7 07"}},
        {"Send", {{"Message", 300}}, {"F7 2C"}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.method);
        const QDBusMessage reply = command("/Brick", "org.infrabrick.Brick", each.method, each.arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_EQ(heard(), each.commands);
    }
}

TEST_F(ScriptingTest, MissingArgumentsAreErrorsAndSendNothing)
{
    const struct {
        const char* path;
        const char* interface;
        const char* method;
        const char* text;
        QVariantMap arguments = {{"Other", 1}};
    } cases[] = {
        {"/Brick", "org.infrabrick.Brick", "Send", "Send requires a message argument"},
        {"/Brick", "org.infrabrick.Brick", "Send", "Send requires a message argument", {{"Message", "seven"}}},
        {"/Brick/Slots/2", "org.infrabrick.ProgramSlot", "Download", "Download requires a file argument"},
        {"/Brick/Datalog", "org.infrabrick.Datalog", "Save", "Save requires a file argument"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.method);
        const QDBusMessage reply = command(each.path, each.interface, each.method, each.arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(reply.errorName(), "org.infrabrick.ScriptError.E1701");
        EXPECT_EQ(reply.errorMessage(), each.text);
        EXPECT_EQ(heard(), QStringList());
    }
}

TEST_F(ScriptingTest, SlotCommands)
{
    const struct {
        const char* path;
        const char* method;
        QStringList commands;
    } cases[] = {
        {"/Brick/Slots/4", "Select", {"91 03"}},
        // The brick is on slot 4: slot 2 only asks.
        {"/Brick/Slots/2", "Stop", {"12 08 00"}},
        {"/Brick/Slots/4", "Stop", {"12 08 00", "50"}},
        {"/Brick/Slots/3", "Run", {"91 02", "71 00"}},
        {"/Brick/Slots/1", "Delete", {"91 00", "40", "70"}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(each.path) + " " + each.method);
        command(each.path, "org.infrabrick.ProgramSlot", each.method);
        EXPECT_EQ(heard(), each.commands);
    }
}

// ---- transfers -------------------------------------------------------------

TEST_F(ScriptingTest, DownloadSelectsTheSlotAndPausesAfterEachBlock)
{
    const QString program = INFRABRICK_RCX_FIXTURES "/tasks.rcx";
    const auto start = std::chrono::steady_clock::now();
    const QDBusMessage reply = command("/Brick/Slots/3", "org.infrabrick.ProgramSlot", "Download", {{"File", program}});
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();

    const QStringList commands = heard();
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_EQ(commands.front(), "91 02");
    EXPECT_EQ(commands.back(), "51 05");
    const auto blocks = std::count_if(commands.begin(), commands.end(), [](const QString& c) { return c.startsWith("45 "); });
    EXPECT_GE(blocks, 3);
    EXPECT_GE(took, blocks * 500ms);
    EXPECT_EQ(get("/Brick/Slots/3", "org.infrabrick.ProgramSlot", "name").toString(), "tasks");
}

TEST_F(ScriptingTest, FailedDownloadsReportTheTransfersMessage)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("missing.rcx");
    QDBusMessage reply = command("/Brick/Slots/2", "org.infrabrick.ProgramSlot", "Download", {{"File", missing}});
    EXPECT_EQ(reply.errorName(), "org.infrabrick.ScriptError.E2720");
    EXPECT_EQ(reply.errorMessage(), "Can't open file \"missing.rcx\"");
    EXPECT_EQ(heard(), QStringList({"91 01"}));

    // Every block refused: the slot keeps what the transfer left, nothing is
    // deleted afterwards.
    ASSERT_EQ(control("refuse-blocks 10"), "ok");
    reply = command("/Brick/Slots/2", "org.infrabrick.ProgramSlot", "Download",
                    {{"File", INFRABRICK_RCX_FIXTURES "/tasks.rcx"}});
    EXPECT_EQ(reply.errorName(), "org.infrabrick.ScriptError.E2720");
    EXPECT_EQ(reply.errorMessage(), "Too many download errors");
    const QStringList commands = heard();
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_TRUE(commands.back().startsWith("45 ")) << commands.back().toStdString();
}

TEST_F(ScriptingTest, DatalogSizeAndSave)
{
    EXPECT_EQ(get("/Brick/Datalog", "org.infrabrick.Datalog", "totalSize").toInt(), 0);
    EXPECT_EQ(heard(), QStringList());
    set("/Brick/Datalog", "org.infrabrick.Datalog", "totalSize", 3);
    EXPECT_EQ(get("/Brick/Datalog", "org.infrabrick.Datalog", "totalSize").toInt(), 3);
    ASSERT_EQ(control("datalog add 0 17"), "ok");
    ASSERT_EQ(control("datalog add 1 -5"), "ok");

    QTemporaryDir folder;
    const QString path = folder.filePath("log.txt");
    QDBusMessage reply = command("/Brick/Datalog", "org.infrabrick.Datalog", "Save", {{"File", path}});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "Variable 0\t17\nVariable 1\t-5\n");

    reply = command("/Brick/Datalog", "org.infrabrick.Datalog", "Save", {{"File", folder.filePath("no/such/log.txt")}});
    EXPECT_EQ(reply.errorName(), "org.infrabrick.ScriptError.E2721");
    EXPECT_EQ(reply.errorMessage(), "Can't open file \"log.txt\"");

    heard();
    command("/Brick/Datalog", "org.infrabrick.Datalog", "Delete");
    EXPECT_EQ(heard(), QStringList({"52 03 00"}));
}

// Runs `action` once, when the widget it watches is first shown.
class OnShow : public QObject {
public:
    OnShow(QWidget& widget, std::function<void()> action) : action(std::move(action)) { widget.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && action)
            std::exchange(action, {})();
        return false;
    }

private:
    std::function<void()> action;
};

// A script's call that arrives while a download of the window's puts its
// progress sheet on screen waits until that download has ended: the slot
// it selects does not redirect the download.
TEST_F(ScriptingTest, ACallDuringAWindowTransferWaitsForItsEnd)
{
    QDBusMessage select = QDBusMessage::createMethodCall(service, "/Brick", propertiesInterface, "Set");
    select.setArguments({"org.infrabrick.Brick", "currentSlot",
                         QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath("/Brick/Slots/5"))))});
    std::optional<QDBusPendingCall> selected;
    const OnShow whileTheSheetComesUp(controller->fileProgressPanel(), [&] {
        selected = client.asyncCall(select, 60'000);
        // Calls from one client arrive in order: once a later one is answered,
        // the selection has reached the application.
        const QDBusPendingCall later = client.asyncCall(QDBusMessage::createMethodCall(
            service, SingleInstance::objectPath, "org.freedesktop.DBus.Introspectable", "Introspect"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return later.isFinished(); }, 60'000));
    });
    controller->downloadFile(INFRABRICK_RCX_FIXTURES "/tasks.rcx");
    ASSERT_TRUE(selected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return selected->isFinished(); }, 60'000));
    EXPECT_EQ(selected->reply().type(), QDBusMessage::ReplyMessage) << selected->reply().errorMessage().toStdString();

    const QStringList commands = heard();
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_EQ(commands.front(), "50");
    EXPECT_EQ(commands.back(), "91 04");
    EXPECT_EQ(commands.count("91 04"), 1);
    EXPECT_EQ(controller->controller().progName(1), "tasks");
    EXPECT_EQ(controller->controller().progName(5), "");
}

// ---- messages --------------------------------------------------------------

TEST_F(ScriptingTest, MessagesGrowAcrossReads)
{
    for (const char* message : {"message 1", "message 2", "message 3"})
        ASSERT_EQ(control(message), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(2, 0) == 3; }, 5000));
    EXPECT_EQ(integers(get("/Brick", "org.infrabrick.Brick", "messages")), QList<int>({1, 2, 3}));
    ASSERT_EQ(control("message 9"), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(3, 0) == 9; }, 5000));
    EXPECT_EQ(integers(get("/Brick", "org.infrabrick.Brick", "messages")), QList<int>({1, 2, 3, 9}));
}

TEST_F(ScriptingTest, MessagesGoOnFromTheOldestHeldAfterAnOverflow)
{
    ASSERT_EQ(control("message 1"), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(0, 0) == 1; }, 5000));
    EXPECT_EQ(integers(get("/Brick", "org.infrabrick.Brick", "messages")), QList<int>({1}));

    // 1100 more: the link keeps the latest 1024, numbers 77 to 1100.
    constexpr int more = 1100;
    for (int message = 1; message <= more; ++message)
        ASSERT_EQ(control("message " + std::to_string(message % 256)), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().oldestHeldMessage() == 1 + more - 1024; }, 10000));

    const QList<int> messages = integers(get("/Brick", "org.infrabrick.Brick", "messages"));
    ASSERT_EQ(messages.size(), 1 + 1024);
    EXPECT_EQ(messages[0], 1);
    EXPECT_EQ(messages[1], 77);
    EXPECT_EQ(messages.back(), more % 256);
    ASSERT_EQ(control("message 42"), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(more + 1, 0) == 42; }, 5000));
    EXPECT_EQ(integers(get("/Brick", "org.infrabrick.Brick", "messages")).back(), 42);
}

// ---- the application -------------------------------------------------------

TEST_F(ScriptingTest, ASecondStartRaisesTheFirstWindow)
{
    window.controls().theTabs->setCurrentIndex(2);
    window.close();
    ASSERT_FALSE(window.isVisible());

    QProcess second;
    second.start(INFRABRICK_APP, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 30'000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.controls().theTabs->currentIndex(), 0);
    EXPECT_EQ(controller->waitABitValue(), 2);
}

// The README's examples, run as written.
QString readmeBlock(const QString& language)
{
    QFile readme(INFRABRICK_SOURCE_DIR "/README.md");
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QString scripting = text.mid(text.indexOf("## Scripting"));
    const QRegularExpression block("```" + language + "\n(.*?)```", QRegularExpression::DotMatchesEverythingOption);
    return block.match(scripting).captured(1);
}

QString run(QProcess& process, const QString& program, const QStringList& arguments)
{
    process.start(program, arguments);
    EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60'000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(ScriptingTest, TheReadmesShellExamplesRun)
{
    const QString examples = readmeBlock("sh");
    ASSERT_TRUE(examples.contains("gdbus call"));
    QTemporaryDir home;
    ASSERT_TRUE(QFile::copy(INFRABRICK_RCX_FIXTURES "/blink.rcx", home.filePath("blink.rcx")));
    ASSERT_EQ(control("battery 8250"), "ok");
    set("/Brick/Datalog", "org.infrabrick.Datalog", "totalSize", 2);
    ASSERT_EQ(control("datalog add 0 5"), "ok");
    heard();

    QProcess shell;
    shell.setWorkingDirectory(home.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    shell.setProcessEnvironment(environment);
    const QString output = run(shell, "bash", {"-e", "-c", examples});

    EXPECT_TRUE(output.startsWith("(<8250>,)\n")) << output.toStdString();
    const QStringList commands = heard();
    EXPECT_TRUE(commands.contains("13 01 02 04"));
    EXPECT_TRUE(commands.contains("91 01"));
    EXPECT_EQ(get("/Brick/Slots/2", "org.infrabrick.ProgramSlot", "name").toString(), "blink");
    QFile saved(home.filePath("datalog.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    // The name is the one the program just downloaded gives variable 0.
    EXPECT_EQ(saved.readAll(), "Variable 0: count\t5\n");
}

TEST_F(ScriptingTest, TheReadmesPythonExampleRuns)
{
    const QString example = readmeBlock("python");
    ASSERT_TRUE(example.contains("import dbus"));
    ASSERT_EQ(control("battery 7900"), "ok");
    ASSERT_EQ(control("message 4"), "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(0, 0) == 4; }, 5000));
    heard();

    QProcess python;
    const QString output = run(python, "/usr/bin/python3", {"-c", example});

    EXPECT_TRUE(output.startsWith("battery 7900 mV\nsensor 1 ")) << output.toStdString();
    EXPECT_TRUE(output.endsWith("messages [4]\n")) << output.toStdString();
    EXPECT_TRUE(heard().contains("F7 07"));
}

} // namespace
