#pragma once

// What infrabrick-cli's exit status says, as its manual page lists them.
enum ExitStatus : int {
    exitDone = 0,
    // The brick refused, or a transfer failed.
    exitRefused = 1,
    exitUsage = 2,
    // The tower is missing or busy.
    exitTowerUnusable = 3,
    exitNoAnswer = 4,
    // Ctrl+C (SIGINT) or SIGTERM, as a shell reports a program ended by SIGINT.
    exitInterrupted = 130,
};
