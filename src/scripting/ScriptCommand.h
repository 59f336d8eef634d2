#pragma once

#include <QString>
#include <QVariantMap>

// One script command as its handler sees it: the evaluated arguments by
// name, and the error the handler sets when the command fails.
class ScriptCommand {
public:
    explicit ScriptCommand(QVariantMap arguments) : arguments(std::move(arguments)) {}

    const QVariantMap& evaluatedArguments() const { return arguments; }
    void setScriptErrorNumber(int number) { errorNumber = number; }
    void setScriptErrorString(const QString& text) { errorString = text; }
    int scriptErrorNumber() const { return errorNumber; }
    const QString& scriptErrorString() const { return errorString; }
    bool failed() const { return errorNumber != 0; }
    // Sets both the error number and its text.
    void fail(int number, const QString& text)
    {
        setScriptErrorNumber(number);
        setScriptErrorString(text);
    }

private:
    QVariantMap arguments;
    int errorNumber = 0;
    QString errorString;
};

// The script error numbers.
namespace ScriptError {
// An argument the command needs is missing.
constexpr int argumentMissing = -1701;
constexpr int downloadFailed = -2720;
constexpr int saveFailed = -2721;
// A source to download did not compile (or could not be compiled).
constexpr int compileFailed = -2722;
constexpr int installFailed = -2723;
} // namespace ScriptError
