// stop-all: the remote control's stop, which stops the program and the
// motors, as the window's Stop All.
#include "cli/Invocation.h"
#include "cli/commands/Commands.h"
#include "protocol/RemoteControl.h"

namespace {

int stopAll(Invocation& invocation)
{
    if (RCXController* brick = invocation.brick()) {
        brick->sendRemoteCommand(remoteRelease);
        brick->sendRemoteCommand(remoteStop);
    }
    return invocation.finish();
}

} // namespace

const Subcommand stopAllCommand = {
    "stop-all", "", QT_TRANSLATE_NOOP("Localizable", "Stop the program and every motor."), 0, 0, {}, stopAll};
