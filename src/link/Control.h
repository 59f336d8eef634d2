#pragma once

// A listener of the command sender: told, on the sending thread, when the
// brick gave no usable reply (timeout) or a packet could not be written
// (towerError).
class Control {
public:
    virtual ~Control() = default;
    virtual void timeout() = 0;
    virtual void towerError() = 0;
};
