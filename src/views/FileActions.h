#pragma once

#include <QString>

// What the views ask of the application controller: the file operations that
// a drop on the drop box or a drag out of the datalog meter starts. The
// application implements it; each operation reports its own progress and
// failures.
class FileActions {
public:
    virtual ~FileActions() = default;

    // Downloads the program file at `path` into the current program slot.
    virtual void downloadFile(const QString& path) = 0;
    // Uploads the datalog from the brick and writes it as text to `path`.
    virtual void uploadFile(const QString& path) = 0;
};
