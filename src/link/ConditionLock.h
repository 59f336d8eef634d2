#pragma once

#include <condition_variable>
#include <mutex>

// A lock that carries an integer condition: it can be taken only while its
// condition has a given value, and releasing it sets the condition. Unlike a
// mutex it is not tied to a thread: one thread may hold it across blocking
// I/O while others test its condition, and setCondition lets a thread that
// does not hold it change the condition and wake the waiters.
class ConditionLock {
public:
    explicit ConditionLock(int condition);

    int condition() const;

    // Takes the lock once it is free, whatever its condition. Returns false,
    // without the lock, when the lock has been interrupted.
    bool lock();
    // Takes the lock once it is free and its condition is `wanted`. Returns
    // false, without the lock, when the lock has been interrupted.
    bool lockWhenCondition(int wanted);
    // The same, waiting at most `seconds` on the steady clock.
    bool lockWhenCondition(int wanted, double seconds);
    // Releases the lock and sets its condition.
    void unlockWithCondition(int newCondition);
    // Sets the condition and wakes the waiters without taking or releasing.
    void setCondition(int newCondition);
    // Makes every wait, present and future, give up: used when the owner of
    // the waiting thread shuts down.
    void interrupt();

private:
    bool available(int wanted) const { return interrupted || (!held && currentCondition == wanted); }

    mutable std::mutex mutex;
    std::condition_variable changed;
    int currentCondition;
    bool held = false;
    bool interrupted = false;
};
