// The command lines of both programs, run as a user runs them, without a
// display: --help on standard output with every option, which the manual page
// describes too; --version; a wrong argument named on standard error.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Ran { int exitCode; QString output, errors; };

Ran run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(display);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30'000) && process.exitStatus() == QProcess::NormalExit) << program.toStdString();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

const QString app = INFRABRICK_APP, sim = INFRABRICK_SIM, version = INFRABRICK_VERSION;

TEST(CommandLineTest, AnswersWithoutADisplay)
{
    // The output is contained in standard output; the errors in standard
    // error, which is empty when none are expected.
    const struct { QString program; QStringList arguments; int exitCode; QString output, errors; } cases[] = {
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
        EXPECT_TRUE(each.errors.isEmpty() ? result.errors.isEmpty() : result.errors.contains(each.errors))
            << result.errors.toStdString();
        EXPECT_TRUE(each.errors.isEmpty() || result.output.isEmpty());
    }
}

TEST(CommandLineTest, TheManualPagesDescribeEveryOption)
{
    static const QRegularExpression longOption(R"(--([a-z][a-z-]*))");
    for (const auto& [program, page] : {std::pair(app, "infrabrick.1"), std::pair(sim, "infrabrick-sim.1")}) {
        SCOPED_TRACE(page);
        QFile file(INFRABRICK_SOURCE_DIR "/resources/man/" + QString(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(file.readAll());
        int options = 0;
        for (const QRegularExpressionMatch& option : longOption.globalMatch(run(program, {"--help"}).output)) {
            ++options;
            EXPECT_TRUE(manual.contains("\\-\\-" + option.captured(1).replace("-", "\\-"))) << option.captured(1).toStdString();
        }
        EXPECT_GE(options, 2);
    }
}

} // namespace
