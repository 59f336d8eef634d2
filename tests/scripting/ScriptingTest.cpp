// Scripts on a D-Bus connection of their own, each call through the bus daemon.
#include "support/AppFixture.h"

#include "app/ApplicationBus.h"

#include <QTest>
#include <QtDBus>
#include <QtWidgets>

#include <chrono>
#include <optional>

namespace {

using namespace std::chrono_literals;

const QString service = SingleInstance::serviceName;

constexpr int code(const char (&text)[5]) { return text[0] << 24 | text[1] << 16 | text[2] << 8 | text[3]; }

// A property read's answer as text, an object path as its path.
QString answerText(const QDBusMessage& reply)
{
    const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
    return value.userType() == qMetaTypeId<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path() : value.toString();
}

// The application without polls, so that the brick hears only the scripts.
class ScriptingTest : public StartTest {
protected:
    void SetUp() override
    {
        StartTest::SetUp();
        savePort();
        launch();
        bus = std::make_unique<ApplicationBus>(*controller, QDBusConnection::sessionBus());
        ASSERT_TRUE(client.isConnected()) << "no session bus: run inside dbus-run-session";
        ASSERT_TRUE(bus->registered() && bus->claim());
        brick.commands();
    }

    // Calls over the bus, serving the call while it waits for the answer.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message, 60'000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 60'000));
        return pending.reply();
    }
    QDBusMessage command(const QString& path, const QString& interface, const QString& method, const QVariantMap& arguments = {})
    {
        return call(path, "org.infrabrick." + interface, method, {arguments});
    }
    QDBusMessage property(const QString& path, const QString& interface, const QString& name, std::optional<QVariant> value = {})
    {
        QVariantList arguments{"org.infrabrick." + interface, name};
        if (value)
            arguments.append(QVariant::fromValue(QDBusVariant(*value)));
        return call(path, "org.freedesktop.DBus.Properties", value ? "Set" : "Get", arguments);
    }

    std::unique_ptr<ApplicationBus> bus;
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "script client");
};

// Each call in this order (a property read, written, or a command) and what the brick hears.
TEST_F(ScriptingTest, EachCallSendsItsCommands)
{
    ASSERT_EQ(brick.control("sensor 3 raw 350"), "ok");
    enum Kind { Get, Set, Command };
    const struct { Kind kind; const char *path, *interface, *member; QVariant value; QStringList sent; } rows[] = {
        // Powers outside 1 to 8 are ignored.
        {Set, "/Brick/Outputs/AB", "MotorOutput", "power", 5, {"13 03 02 04"}}, {Set, "/Brick/Outputs/A", "MotorOutput", "power", 0, {}},
        {Set, "/Brick/Outputs/ABC", "MotorOutput", "power", 9, {}}, {Set, "/Brick/Outputs/A", "MotorOutput", "activity", code("OuA2"), {"21 81"}},
        {Set, "/Brick/Outputs/AC", "MotorOutput", "activity", code("OuA0"), {"21 05"}},
        {Set, "/Brick/Outputs/BC", "MotorOutput", "direction", code("OuD0"), {"E1 06"}},
        {Set, "/Brick/Outputs/C", "MotorOutput", "direction", code("OuD2"), {"E1 84"}},
        {Set, "/Brick/Outputs/B", "MotorOutput", "power", 6, {"13 02 02 05"}},
        {Set, "/Brick/Outputs/B", "MotorOutput", "activity", code("OuA2"), {"21 82"}},
        // An output group reads its last lettered member.
        {Get, "/Brick/Outputs/AB", "MotorOutput", "power", 6, {"12 03 01"}},
        {Get, "/Brick/Outputs/AB", "MotorOutput", "activity", code("OuA2"), {"12 03 01"}},
        {Get, "/Brick/Outputs/A", "MotorOutput", "power", 5, {"12 03 00"}}, {Command, "/Brick/Outputs/B", "MotorOutput", "Stop", {}, {"21 42"}},
        // A slope is set with the mode the brick has; 0 to 31 only.
        {Set, "/Brick/Inputs/1", "SensorInput", "mode", code("SeM5"), {"42 00 A0"}},
        {Set, "/Brick/Inputs/1", "SensorInput", "slope", 10, {"12 0A 00", "12 0B 00", "42 00 AA"}},
        {Set, "/Brick/Inputs/1", "SensorInput", "slope", 32, {"12 0A 00", "12 0B 00"}},
        {Get, "/Brick/Inputs/1", "SensorInput", "slope", 10, {"12 0A 00", "12 0B 00"}},
        {Get, "/Brick/Inputs/1", "SensorInput", "mode", code("SeM5"), {"12 0A 00", "12 0B 00"}},
        {Set, "/Brick/Inputs/3", "SensorInput", "type", code("SeT3"), {"32 02 03"}},
        {Get, "/Brick/Inputs/3", "SensorInput", "type", code("SeT3"), {"12 0A 02", "12 0B 02"}},
        {Get, "/Brick/Inputs/3", "SensorInput", "value", 96, {"12 09 02"}}, // 146 - 350 / 7
        {Set, "/Brick/Variables/5", "Variable", "value", 70000, {"14 05 02 70 11"}},
        {Get, "/Brick/Variables/5", "Variable", "value", 4464, {"12 00 05"}}, {Set, "/Brick/Variables/31", "Variable", "value", -1, {"14 1F 02 FF FF"}},
        {Set, "/Brick/Datalog", "Datalog", "totalSize", 50, {"52 32 00"}}, {Command, "/Brick/Datalog", "Datalog", "Delete", {}, {"52 32 00"}},
        {Command, "/Brick/Slots/4", "ProgramSlot", "Select", {}, {"91 03"}}, {Get, "/Brick", "Brick", "currentSlot", "/Brick/Slots/4", {"12 08 00"}},
        // Stopping a slot the brick is not on only asks which it is on.
        {Command, "/Brick/Slots/2", "ProgramSlot", "Stop", {}, {"12 08 00"}}, {Command, "/Brick/Slots/4", "ProgramSlot", "Stop", {}, {"12 08 00", "50"}},
        {Command, "/Brick/Slots/3", "ProgramSlot", "Run", {}, {"91 02", "71 00"}},
        {Command, "/Brick/Slots/1", "ProgramSlot", "Delete", {}, {"91 00", "40", "70"}},
        {Command, "/Brick", "Brick", "Run", {}, {"71 00"}}, {Command, "/Brick", "Brick", "Stop", {}, {"D2 00 00", "D2 40 00"}},
        {Command, "/Brick", "Brick", "Send", QVariantMap{{"Message", 300}}, {"F7 2C"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.member);
        const std::optional<QVariant> written = row.kind == Set ? std::optional(row.value) : std::nullopt;
        const QDBusMessage reply = row.kind == Command ? command(row.path, row.interface, row.member, row.value.toMap())
                                                       : property(row.path, row.interface, row.member, written);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        if (row.kind == Get) {
            EXPECT_EQ(answerText(reply), row.value.toString());
        }
        EXPECT_EQ(brick.commands(), row.sent);
    }
}

// A call that cannot be done is an error with its number and message.
TEST_F(ScriptingTest, ACallThatCannotBeDoneSaysWhy)
{
    const QVariantMap other{{"Other", 1}};
    const QString bad = write("bad.nqc", "task main()\n{\n  On(OUT_A)\n}\n");
    const struct { const char *path, *interface, *method; QVariantMap arguments; const char *error, *message; QStringList sent; } cases[] = {
        {"/Brick", "Brick", "Send", other, "E1701", "Send requires a message argument", {}},
        {"/Brick/Slots/2", "ProgramSlot", "Download", other, "E1701", "Download requires a file argument", {}},
        {"/Brick/Slots/2", "ProgramSlot", "Download", {{"File", folder.filePath("no.rcx")}}, "E2720", "Can't open file \"no.rcx\"", {"91 01"}},
        {"/Brick/Slots/2", "ProgramSlot", "Download", {{"File", bad}}, "E2722",
         "\"bad.nqc\" has errors and was not downloaded:\nbad.nqc:4: syntax error\n", {"91 01"}},
        {"/Brick/Datalog", "Datalog", "Save", {{"File", folder.filePath("no/log.txt")}}, "E2721", "Can't open file \"log.txt\"", {}},
        {"/Brick", "Brick", "InstallFirmware", {{"Fast", true}}, "E1701", "InstallFirmware requires a file argument", {}},
        {"/Brick", "Brick", "InstallFirmware", {{"File", folder.filePath("no.lgo")}, {"Fast", true}}, "E2723", "Can't open file \"no.lgo\"", {}},
    };
    for (const auto& each : cases) {
        const QDBusMessage reply = command(each.path, each.interface, each.method, each.arguments);
        EXPECT_EQ(reply.errorName(), QString("org.infrabrick.ScriptError.") + each.error) << each.message;
        EXPECT_EQ(reply.errorMessage(), each.message);
        EXPECT_EQ(brick.commands(), each.sent) << each.message;
    }
}

// The firmware on the ROM's fast line: 200-byte blocks after the image's.
TEST_F(ScriptingTest, InstallsFirmwareFastWhenAsked)
{
    const QDBusMessage reply = command("/Brick", "Brick", "InstallFirmware", {{"File", "/usr/lib/brickos/brickOS.srec"}, {"Fast", true}});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_FALSE(brick.commands().filter(QRegularExpression("^45 .. .. C8 00 ")).isEmpty());
    EXPECT_TRUE(brick.control("state").contains(R"("firmware":{"present":true)"));
}

// A download selects its slot and pauses after each block; one that fails deletes nothing after.
TEST_F(ScriptingTest, DownloadsGoIntoTheirSlotOrSayWhyNot)
{
    QDBusMessage compiled = command("/Brick/Slots/4", "ProgramSlot", "Download", {{"File", examplesFolder + "/blink.nqc"}});
    ASSERT_EQ(compiled.type(), QDBusMessage::ReplyMessage) << compiled.errorMessage().toStdString();
    EXPECT_TRUE(named<QButtonGroup>(window, "progNumButton")->button(4)->isChecked());
    EXPECT_EQ(named<QLineEdit>(window, "programName")->text() + " " + named<QPushButton>(window, "theButton")->text(), "blink Delete");
    brick.commands();

    const auto start = std::chrono::steady_clock::now();
    QDBusMessage reply = command("/Brick/Slots/3", "ProgramSlot", "Download", {{"File", programFile}});
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    QStringList commands = brick.commands();
    const qsizetype blocks = commands.filter(QRegularExpression("^45 ")).size();
    EXPECT_GE(blocks, 3);
    EXPECT_GE(took, blocks * 500ms);
    ASSERT_EQ(brick.control("refuse-blocks 10"), "ok");
    reply = command("/Brick/Slots/2", "ProgramSlot", "Download", {{"File", programFile}});
    EXPECT_EQ(reply.errorMessage(), "Too many download errors");
    commands = brick.commands();
    EXPECT_TRUE(!commands.isEmpty() && commands.last().startsWith("45 ")) << "nothing deleted afterwards";
}

TEST_F(ScriptingTest, ACallDuringAWindowTransferWaitsForItsEnd)
{
    QDBusMessage select = QDBusMessage::createMethodCall(service, "/Brick", "org.freedesktop.DBus.Properties", "Set");
    select.setArguments({"org.infrabrick.Brick", "currentSlot", QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath("/Brick/Slots/5"))))});
    std::optional<QDBusPendingCall> selected;
    const EventWatch whileTheSheetComesUp(&controller->fileProgressPanel(), QEvent::Show, [&] {
        if (selected)
            return;
        selected = client.asyncCall(select, 60'000);
        // Calls from one client arrive in order: a later one answered, the selection has arrived.
        const QDBusPendingCall later = client.asyncCall(QDBusMessage::createMethodCall(
            service, SingleInstance::objectPath, "org.freedesktop.DBus.Introspectable", "Introspect"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return later.isFinished(); }, 60'000));
    });
    controller->downloadFile(programFile);
    ASSERT_TRUE(selected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return selected->isFinished(); }, 60'000));
    EXPECT_EQ(selected->reply().type(), QDBusMessage::ReplyMessage) << selected->reply().errorMessage().toStdString();
    const QStringList commands = brick.commands();
    EXPECT_EQ(commands.value(0) + " .. " + commands.value(commands.size() - 1), "50 .. 91 04");
    EXPECT_EQ(commands.count("91 04"), 1);
    EXPECT_EQ(controller->controller().progName(1) + "|" + controller->controller().progName(5), "tasks|");
}

// The README's shell and Python examples, run as written in the test's folder.
TEST_F(ScriptingTest, TheReadmesExamplesRun)
{
    const QString scripting = QString::fromUtf8(contents(INFRABRICK_SOURCE_DIR "/README.md")).section("## Scripting", 1);
    auto run = [&](const QStringList& command, const QString& language) {
        const auto example = QRegularExpression("```" + language + "\n(.*?)```", QRegularExpression::DotMatchesEverythingOption).match(scripting);
        QProcess process;
        process.setWorkingDirectory(folder.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", folder.path());
        process.setProcessEnvironment(environment);
        process.start(command.first(), command.mid(1) + QStringList{"-c", example.captured(1)});
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60'000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    write("blink.rcx", contents(INFRABRICK_SOURCE_DIR "/tests/rcx/fixtures/blink.rcx"));
    ASSERT_EQ(brick.control("battery 8250"), "ok");
    property("/Brick/Datalog", "Datalog", "totalSize", 2);
    ASSERT_EQ(brick.control("datalog add 0 5"), "ok");
    brick.commands();
    EXPECT_TRUE(run({"bash", "-e"}, "sh").startsWith("(<8250>,)\n"));
    const QStringList commands = brick.commands();
    EXPECT_TRUE(commands.contains("13 01 02 04") && commands.contains("91 01")) << commands.join('|').toStdString();
    EXPECT_EQ(answerText(property("/Brick/Slots/2", "ProgramSlot", "name")), "blink");
    // The name is the one the program just downloaded gives variable 0.
    EXPECT_EQ(contents(folder.filePath("datalog.txt")), "Variable 0: count\t5\n");

    ASSERT_EQ(brick.control("battery 7900") + brick.control("message 4"), "okok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->controller().getMessage(0, 0) >= 0; }));
    const QString printed = run({"/usr/bin/python3"}, "python");
    EXPECT_TRUE(printed.startsWith("battery 7900 mV\nsensor 1 ") && printed.endsWith("messages [4]\n")) << printed.toStdString();
    EXPECT_TRUE(brick.commands().contains("F7 07"));
}

} // namespace
