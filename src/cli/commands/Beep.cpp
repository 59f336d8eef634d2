// beep: the remote control's beep, as the window's Beep.
#include "cli/Invocation.h"
#include "cli/commands/Commands.h"
#include "protocol/RemoteControl.h"

namespace {

int beep(Invocation& invocation)
{
    if (RCXController* brick = invocation.brick()) {
        brick->sendRemoteCommand(remoteRelease);
        brick->sendRemoteCommand(remoteBeep);
    }
    return invocation.finish();
}

} // namespace

const Subcommand beepCommand = {"beep", "", QT_TRANSLATE_NOOP("Localizable", "Beep."), 0, 0, {}, beep};
