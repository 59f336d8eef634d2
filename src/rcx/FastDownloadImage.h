#pragma once

#include "rcx/FirmwareFile.h"

// Infrabrick's fast download image, as the build assembled it: the variant
// that keeps odd parity (for a tower that cannot drop it, the USB tower's) or
// the one that switches parity off.
FirmwareFile fastDownloadImage(bool keepsParity);
