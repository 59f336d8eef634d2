#include "rcx/FastDownloadImage.h"

#include <string_view>

// Defined in the source the build makes from the assembled S-record files.
extern const std::string_view fastDownloadSerialRecords;
extern const std::string_view fastDownloadUSBRecords;

FirmwareFile fastDownloadImage(bool keepsParity)
{
    return readFirmwareRecords(keepsParity ? fastDownloadUSBRecords : fastDownloadSerialRecords);
}
