#pragma once

#include "scripting/TransferElement.h"

// The brick's datalog, seen by scripts.
class RCXDatalog : public TransferElement {
    Q_OBJECT
    Q_PROPERTY(int totalSize READ totalSize WRITE setTotalSize)
public:
    explicit RCXDatalog(RCXController& controller);

    // The capacity in entries as the controller last learnt it; 0 until then.
    int totalSize() const;
    // Clears the datalog and gives it room for `size` entries. A refusal is
    // kept as the error of this object and not reported.
    void setTotalSize(int size);

    // Clears the datalog, keeping its capacity.
    void handleDelete(ScriptCommand& command);
    // Saves the datalog as a text file at "File".
    void handleSave(ScriptCommand& command);

public slots:
    void Delete(const QVariantMap& arguments) { perform(arguments, &RCXDatalog::handleDelete); }
    void Save(const QVariantMap& arguments) { perform(arguments, &RCXDatalog::handleSave); }
};
