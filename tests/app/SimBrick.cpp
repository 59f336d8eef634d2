#include "SimBrick.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The answer as JSON; a failure when it is none, so that a brick that stopped
// answering never passes for one that heard nothing.
QJsonDocument parsed(const QString& command, const QString& answer)
{
    const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8());
    if (document.isNull())
        ADD_FAILURE() << command.toStdString() << ": " << answer.toStdString();
    return document;
}

} // namespace

SimBrick::SimBrick(const QString& name) : name(name)
{
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    restart();
}

QString SimBrick::control(const QString& command)
{
    return QString::fromStdString(process->control(command.toStdString()));
}

QStringList SimBrick::commands()
{
    const QJsonArray history = parsed("history", control("history")).array();
    EXPECT_EQ(control("history clear"), "ok");
    QStringList heard;
    for (const QJsonValue& entry : history) {
        const QString command = entry.toString();
        const int opcode = command.left(2).toInt(nullptr, 16) & ~0x08;
        heard.append(QString::number(opcode, 16).rightJustified(2, '0').toUpper() + command.mid(2));
    }
    return heard;
}

QJsonObject SimBrick::state()
{
    return parsed("state", control("state")).object();
}

bool SimBrick::kill()
{
    process->signal(SIGKILL);
    return process->wait().has_value();
}

void SimBrick::restart()
{
    process.reset();
    process = std::make_unique<SimProcess>(INFRABRICK_SIM, std::vector<std::string>{"--announce", name.toStdString()});
}
