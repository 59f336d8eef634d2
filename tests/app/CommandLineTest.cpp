// The command lines of both programs, run as a user runs them, without a
// display: --help on standard output with every option, which the manual page
// describes too; --version; a wrong argument named on standard error.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Ran {
    int exitCode;
    QString output;
    QString errors;
};

Ran run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(display);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30'000)) << program.toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

const QString app = INFRABRICK_APP;
const QString sim = INFRABRICK_SIM;
const QString version = INFRABRICK_VERSION;

TEST(CommandLineTest, AnswersWithoutADisplay)
{
    const struct {
        QString program;
        QStringList arguments;
        int exitCode;
        QString output;   // contained in standard output
        QString errors;   // contained in standard error; none when empty
    } cases[] = {
        {app, {"--help"}, 0, "-v, --version", {}},
        {app, {"-h"}, 0, "-h, --help", {}},
        {app, {"--version"}, 0, "infrabrick " + version + "\n", {}},
        {app, {"--frobnicate"}, 2, {}, "frobnicate"},
        {app, {"stray"}, 2, {}, "stray"},
        {sim, {"--help"}, 0, "--announce NAME", {}},
        {sim, {"--version"}, 0, "infrabrick-sim " + version + "\n", {}},
        {sim, {"--frobnicate"}, 2, {}, "'--frobnicate'"},
        {sim, {"--noise", "2"}, 2, {}, "'--noise'"},
        {sim, {"--seed"}, 2, {}, "'--seed'"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE((each.program + " " + each.arguments.join(' ')).toStdString());
        const Ran result = run(each.program, each.arguments);
        EXPECT_EQ(result.exitCode, each.exitCode);
        EXPECT_TRUE(result.output.contains(each.output)) << result.output.toStdString();
        if (each.errors.isEmpty()) {
            EXPECT_EQ(result.errors, "");
        } else {
            EXPECT_TRUE(result.errors.contains(each.errors)) << result.errors.toStdString();
            EXPECT_EQ(result.output, "");
        }
    }
}

TEST(CommandLineTest, TheManualPagesDescribeEveryOption)
{
    const struct {
        QString program;
        QString page;
    } programs[] = {
        {app, INFRABRICK_SOURCE_DIR "/resources/man/infrabrick.1"},
        {sim, INFRABRICK_SOURCE_DIR "/resources/man/infrabrick-sim.1"},
    };
    static const QRegularExpression longOption(R"(--([a-z][a-z-]*))");
    for (const auto& each : programs) {
        SCOPED_TRACE(each.page.toStdString());
        QFile page(each.page);
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(page.readAll());
        const QString help = run(each.program, {"--help"}).output;
        int options = 0;
        for (const QRegularExpressionMatch& option : longOption.globalMatch(help)) {
            ++options;
            const QString name = option.captured(1);
            EXPECT_TRUE(manual.contains("\\-\\-" + QString(name).replace("-", "\\-"))) << name.toStdString();
        }
        EXPECT_GE(options, 2);
    }
}

} // namespace
