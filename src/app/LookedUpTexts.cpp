// Texts looked up where lupdate cannot see them: in the Qt-free core, through
// the localizer the application installs; in the models, through keys held in
// variables; and in the scripting library, which has no translation files of
// its own. They are named here for the translation files; the
// translation test checks this list against the sources.
#include <QtGlobal>

[[maybe_unused]] static const char* const lookedUpTexts[] = {
    // transfers and brick commands
    QT_TRANSLATE_NOOP("Localizable", "Can't open file \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "Can't write the compiled program into the temporary folder \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "Can't read datalog length"),
    QT_TRANSLATE_NOOP("Localizable", "Downloading file \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "\"%@\" has errors and was not downloaded:"),
    QT_TRANSLATE_NOOP("Localizable", "Error reading file \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "Error writing file \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" contains an illegal task number"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" contains an unknown fragment type"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" contains no firmware"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" has an illegal character"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" has an illegal line length"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" has an unsupported file version number"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" has no start address"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" has the wrong file signature"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" is not an S-Record file"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" is not compiled for the RCX"),
    QT_TRANSLATE_NOOP("Localizable", "File \"%@\" is too large"),
    QT_TRANSLATE_NOOP("Localizable", "Firmware download error"),
    QT_TRANSLATE_NOOP("Localizable", "Installing firmware file \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "NQC did not finish compiling \"%@\" within %d seconds and was stopped."),
    QT_TRANSLATE_NOOP("Localizable", "NQC is not installed. Install the nqc package to download NQC programs."),
    QT_TRANSLATE_NOOP("Localizable", "RCX memory full"),
    QT_TRANSLATE_NOOP("Localizable", "Saving datalog to file \"%@\""),
    QT_TRANSLATE_NOOP("Localizable", "Too many download errors"),
    QT_TRANSLATE_NOOP("Localizable", "Uploading datalog"),
    QT_TRANSLATE_NOOP("Localizable", "Unknown"),
    // script errors
    QT_TRANSLATE_NOOP("Localizable", "Download requires a file argument"),
    QT_TRANSLATE_NOOP("Localizable", "Save requires a file argument"),
    QT_TRANSLATE_NOOP("Localizable", "Send requires a message argument"),
    // datalog lines
    QT_TRANSLATE_NOOP("Localizable", "Variable %@\t%d\n"),
    QT_TRANSLATE_NOOP("Localizable", "Timer %@\t%d\n"),
    QT_TRANSLATE_NOOP("Localizable", "Sensor %@\t%d\n"),
    QT_TRANSLATE_NOOP("Localizable", "Watch %@\t%d\n"),
    QT_TRANSLATE_NOOP("Localizable", "Unknown %@\t%d\n"),
    // the memory tree
    QT_TRANSLATE_NOOP("Localizable", "Memory"),
    QT_TRANSLATE_NOOP("Localizable", "Subroutines"),
    QT_TRANSLATE_NOOP("Localizable", "Tasks"),
    QT_TRANSLATE_NOOP("Localizable", "Datalog"),
    QT_TRANSLATE_NOOP("Localizable", "Used"),
    QT_TRANSLATE_NOOP("Localizable", "Free"),
    QT_TRANSLATE_NOOP("Localizable", "Free memory"),
    QT_TRANSLATE_NOOP("Localizable", "Slot %d"),
    QT_TRANSLATE_NOOP("Localizable", "Sub %d"),
    QT_TRANSLATE_NOOP("Localizable", "Task %d"),
    // the datalog's chart and table, and the sensors' history
    QT_TRANSLATE_NOOP("Localizable", "Entry"),
    QT_TRANSLATE_NOOP("Localizable", "Source"),
    QT_TRANSLATE_NOOP("Localizable", "Value"),
    QT_TRANSLATE_NOOP("Localizable", "The datalog is empty"),
    QT_TRANSLATE_NOOP("Localizable", "%1, entry %2: %3"),
    QT_TRANSLATE_NOOP("Localizable", "The readings of the last two minutes"),
    // column headers, keyed by their identifiers
    QT_TRANSLATE_NOOP("Localizable", "Region"),
    QT_TRANSLATE_NOOP("Localizable", "Size"),
    QT_TRANSLATE_NOOP("Localizable", "Start"),
    QT_TRANSLATE_NOOP("Localizable", "End"),
    QT_TRANSLATE_NOOP("Localizable", "No1"),
    QT_TRANSLATE_NOOP("Localizable", "Name1"),
    QT_TRANSLATE_NOOP("Localizable", "Value1"),
    QT_TRANSLATE_NOOP("Localizable", "No2"),
    QT_TRANSLATE_NOOP("Localizable", "Name2"),
    QT_TRANSLATE_NOOP("Localizable", "Value2"),
};
