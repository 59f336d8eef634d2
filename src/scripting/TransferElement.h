#pragma once

#include "rcx/FileOp.h"
#include "scripting/ScriptElement.h"

#include <functional>
#include <optional>
#include <string>

// A scriptable element that runs file transfers of its own (a program slot's
// download, the datalog's save): it is the transfer's progress receiver and
// keeps the failure message of the last one in theError.
class TransferElement : public ScriptElement, public FileOp {
    Q_OBJECT
public:
    void startFileOp(const std::string& title) override;
    void advanceBy(double increment) override;
    void abortFileOp(const std::string& message) override;
    void stopFileOp() override;

protected:
    using ScriptElement::ScriptElement;

    // Runs `transfer` on the path given as "File". Without that argument the
    // command fails with `missingText` (a "Localizable" key); a transfer
    // that fails makes it fail with `failedNumber` and the transfer's message.
    void runTransfer(ScriptCommand& command, const char* missingText, int failedNumber,
                     const std::function<void(const std::string& path)>& transfer);

    std::optional<std::string> theError;
};
