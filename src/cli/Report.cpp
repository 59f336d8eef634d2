#include "cli/Report.h"

#include <QJsonDocument>

#include <cstdio>

Report::Report(bool json, bool quiet)
    : asJson(json)
    , isQuiet(quiet)
{
}

void Report::say(const QString& line)
{
    if (asJson || isQuiet)
        return;
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

void Report::set(const QString& key, const QJsonValue& value)
{
    object.insert(key, value);
}

int Report::fail(int status, const QString& message)
{
    std::fprintf(stderr, "infrabrick-cli: %s\n", qPrintable(message));
    if (exitStatus == 0) {
        exitStatus = status;
        object.insert("error", message);
    }
    return exitStatus;
}

int Report::finish()
{
    if (asJson) {
        object.insert("status", exitStatus);
        std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
        std::fflush(stdout);
    }
    return exitStatus;
}
