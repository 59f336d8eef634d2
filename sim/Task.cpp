#include "sim/Task.h"

#include <algorithm>

void TaskState::start()
{
    running = true;
    at = CodePosition();
    calls.clear();
    loopCounters.clear();
    waitUntil = 0;
    monitors.clear();
    access.reset();
    activeEvents = 0;
}

void TaskState::stop()
{
    running = false;
    monitors.clear();
    access.reset();
}

void TaskState::interrupt(const Handler& handler)
{
    calls.resize(std::min(calls.size(), handler.callDepth));
    at = handler.at;
    waitUntil = 0;
}

bool TaskState::returnFromSub()
{
    if (calls.empty())
        return false;
    at = calls.back();
    calls.pop_back();
    return true;
}
