#include "SimBrick.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The opcode's toggle bit: the brick tells a new command from a repeat by it.
constexpr std::uint8_t toggleBit = 0x08;

// "12 09 00" as bytes.
SimBrick::Command bytesOf(const QString& hexText)
{
    SimBrick::Command bytes;
    for (const QString& digits : hexText.split(' ', Qt::SkipEmptyParts))
        bytes.push_back(static_cast<std::uint8_t>(digits.toUInt(nullptr, 16)));
    return bytes;
}

// The answer as JSON; a test failure when it is none, so that a brick that
// stopped answering never passes for one that heard nothing.
QJsonDocument parsed(const QString& command, const QString& answer)
{
    const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8());
    if (document.isNull())
        ADD_FAILURE() << command.toStdString() << ": " << answer.toStdString();
    return document;
}

} // namespace

SimBrick::SimBrick(const QString& name)
    : towerName(name)
    , announcedPath(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath("infrabrick/towers/" + name))
{
    restart();
}

QString SimBrick::terminalPath() const
{
    return QString::fromStdString(process->path());
}

QString SimBrick::control(const QString& command)
{
    return QString::fromStdString(process->control(command.toStdString()));
}

std::vector<SimBrick::Command> SimBrick::commands()
{
    const QJsonArray history = parsed("history", control("history")).array();
    EXPECT_EQ(control("history clear").toStdString(), "ok");
    std::vector<Command> heard;
    for (const QJsonValue& command : history) {
        Command bytes = bytesOf(command.toString());
        if (!bytes.empty())
            bytes[0] &= ~toggleBit;
        heard.push_back(bytes);
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
    process = std::make_unique<SimProcess>(INFRABRICK_SIM, std::vector<std::string>{"--announce", towerName.toStdString()});
}
