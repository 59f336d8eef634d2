#pragma once

#include "cli/Interruption.h"
#include "cli/Report.h"
#include "link/Control.h"
#include "rcx/RCXLink.h"

#include <QString>

#include <functional>

// The link to the brick for one run of the program: the window's chain of
// objects, built in the same place and order (RCXLink), with the session as
// the sender's first listener; the tower it opens; and what went wrong on
// the link since. The chain's teardown closes the port.
class BrickSession : public Control {
public:
    explicit BrickSession(Interruption& interruption);

    AllPorts& ports() { return myLink.port(); }
    RCXController& controller() { return myLink.controller(); }
    RCXSender& sender() { return myLink.sender(); }

    // Opens the tower --port names, or the one the window saved when `port`
    // is empty, and lets the link read. A tower that cannot be used is told
    // to the report (exit status 3).
    bool open(const QString& port, Report& report);

    // Whether a failure of the link was told since the last forgetFailures:
    // the brick gave no answer, or the tower failed. The failures an
    // interruption causes are its own, not the link's.
    bool linkFailed() const { return timeouts + towerErrors > 0; }
    void forgetFailures() { timeouts = towerErrors = 0; }
    bool towerFailed() const { return towerErrors > 0; }
    bool interrupted() const { return interruption.happened(); }
    // Waits for `time`; true when interrupted before it was up.
    bool pause(std::chrono::milliseconds time) { return interruption.waitFor(time); }
    // Tells the report what ended the run: an interruption (130), a brick
    // that did not answer (4), a failing tower (3), else `failure` (1), if
    // any. Returns the exit status.
    int finish(Report& report, const std::optional<std::string>& failure = std::nullopt);
    // Runs the clean-up after a failed transfer on a link that works: after
    // an interruption the link is let through for it; after a failure of
    // the link it is left out, since it would fail as well.
    void cleanUp(const std::function<void()>& exchange);

    void timeout() override;
    void towerError() override;

private:
    bool openEntry(const std::string& type, const std::string& name, const std::string& path, Report& report);

    Interruption& interruption;
    RCXLink myLink;
    int timeouts = 0;
    int towerErrors = 0;
};
