#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// What a subcommand has to say: lines of text on standard output as they
// come, or with --json one object once it is done, holding the exit status
// and, after a failure, its message. A failure goes to standard error in
// either case; --quiet leaves out the text lines, never a failure.
class Report {
public:
    Report(bool json, bool quiet);

    bool json() const { return asJson; }
    bool quiet() const { return isQuiet; }
    void say(const QString& line);
    void set(const QString& key, const QJsonValue& value);
    // The first failure decides the exit status; later ones are only told.
    // Returns the exit status.
    int fail(int status, const QString& message);
    int status() const { return exitStatus; }
    // Prints the JSON object, if asked for; returns the exit status.
    int finish();

private:
    bool asJson;
    bool isQuiet;
    int exitStatus = 0;
    QJsonObject object;
};
