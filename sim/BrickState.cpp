#include "sim/BrickState.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace {

// Appends, dropping the oldest beyond BrickState::keptOutputs.
template <typename Value> void keepLatest(std::vector<Value>& values, const Value& value)
{
    if (values.size() >= BrickState::keptOutputs)
        values.erase(values.begin());
    values.push_back(value);
}

} // namespace

int OutputState::effectivePower() const
{
    return std::min(power, maxPower);
}

std::uint8_t OutputState::statusByte() const
{
    return outputStatusByte(effectiveMode(), effectiveForward(), effectivePower());
}

std::uint8_t OutputState::globalStatusByte() const
{
    return outputStatusByte(globalMode, globalForward, maxPower);
}

void SensorState::setModeByte(std::uint8_t byte)
{
    mode = static_cast<std::uint8_t>(sensorModeOf(byte));
    slope = static_cast<std::uint8_t>(sensorSlopeOf(byte));
    count = 0;
    updateValue();
}

void SensorState::setType(std::uint8_t newType)
{
    type = newType;
    if (newType < sensorTypeCount)
        setModeByte(static_cast<std::uint8_t>(sensorModeByte(defaultMode(newType), 0)));
}

void SensorState::clear()
{
    count = 0;
    updateValue();
}

int SensorState::phase() const
{
    return std::min(raw / 256, 3);
}

void SensorState::setRaw(int newRaw)
{
    const int previous = raw;
    const int previousPhase = phase();
    raw = std::clamp(newRaw, 0, 1023);

    const bool wasTrue = boolean;
    if (slope == 0) {
        if (raw < 460)
            boolean = true;
        else if (raw > 562)
            boolean = false;
    } else if (raw - previous < -slope) {
        boolean = true;
    } else if (raw - previous > slope) {
        boolean = false;
    }

    if (mode == transitionMode && boolean != wasTrue)
        ++count;
    if (mode == periodMode && wasTrue && !boolean)
        ++count;
    if (mode == angleMode) {
        const int step = (phase() - previousPhase + 4) % 4;
        if (step == 1)
            ++count;
        else if (step == 3)
            --count;
    }
    updateValue();
}

void SensorState::updateValue()
{
    const int celsius = std::clamp((785 - raw) * 10 / 8, -200, 700);
    switch (mode) {
    case rawMode:
        value = raw;
        break;
    case booleanMode:
        value = boolean ? 1 : 0;
        break;
    case transitionMode:
    case periodMode:
    case angleMode:
        value = count;
        break;
    case percentMode:
        value = std::min(100, 146 - raw / 7);
        break;
    case celsiusMode:
        value = celsius;
        break;
    case fahrenheitMode:
        value = celsius * 9 / 5 + 320;
        break;
    default:
        break;
    }
}

bool DatalogState::append(DatalogEntry entry)
{
    if (used() > size)
        return false;
    entries.push_back(entry);
    return true;
}

DatalogEntry DatalogState::entry(int index) const
{
    if (index == 0)
        return {datalogHeaderType, static_cast<std::int16_t>(used())};
    if (index > 0 && index < used())
        return entries[static_cast<std::size_t>(index - 1)];
    return {};
}

std::uint16_t FirmwareState::imageChecksum() const
{
    const auto end = image.begin() + std::min(static_cast<std::ptrdiff_t>(firmwareChecksumLength), static_cast<std::ptrdiff_t>(image.size()));
    return static_cast<std::uint16_t>(std::accumulate(image.begin(), end, 0u));
}

bool FirmwareState::holdsSignature() const
{
    constexpr std::string_view signature = "Do you byte, when I knock?";
    return std::search(image.begin(), image.end(), signature.begin(), signature.end()) != image.end();
}

int WatchState::minutesAt(std::int64_t now) const
{
    return static_cast<int>((minutes + (now - setAt) / 60000) % (24 * 60));
}

int TimerState::read(int timer, std::int64_t now, int resolution) const
{
    return static_cast<int>((now - clearedAt[static_cast<std::size_t>(timer)]) / resolution % 32768);
}

void TimerState::set(int timer, int value, std::int64_t now, int resolution)
{
    clearedAt[static_cast<std::size_t>(timer)] = now - static_cast<std::int64_t>(value) * resolution;
}

bool BrickState::running() const
{
    return std::any_of(tasks.begin(), tasks.end(), [](const TaskState& task) { return task.running; });
}

std::vector<int> BrickState::runningTasks() const
{
    std::vector<int> numbers;
    for (int number = 0; number < taskCount; ++number)
        if (tasks[static_cast<std::size_t>(number)].running)
            numbers.push_back(number);
    return numbers;
}

void BrickState::stopAllTasks()
{
    for (TaskState& task : tasks)
        task.stop();
}

void BrickState::powerOff()
{
    powered = false;
    stopAllTasks();
}

void BrickState::play(const Played& sound)
{
    if (!muted)
        keepLatest(played, sound);
}

void BrickState::send(std::uint8_t message)
{
    keepLatest(sent, message);
}

bool BrickState::setDatalogSize(int size)
{
    DatalogState resized;
    resized.size = size;
    if (resized.areaBytes() > freeMemory() + datalog.areaBytes())
        return false;
    datalog = resized;
    return true;
}

std::array<std::uint16_t, memoryMapWords> BrickState::memoryMap() const
{
    std::array<std::uint16_t, memoryMapWords> words{};
    int address = ProgramMemory::start;
    std::size_t word = 0;
    auto place = [&](std::size_t length) {
        words[word++] = static_cast<std::uint16_t>(address);
        address += static_cast<int>(length);
    };
    for (const ProgramSlot& program : programs)
        for (const ByteString& sub : program.subs)
            place(sub.size());
    for (const ProgramSlot& program : programs)
        for (const ByteString& task : program.tasks)
            place(task.size());
    place(static_cast<std::size_t>(datalog.usedBytes()));
    place(static_cast<std::size_t>(datalog.areaBytes() - datalog.usedBytes()));
    place(0);
    words[word] = ProgramMemory::end;
    return words;
}

int BrickState::usedMemory() const
{
    std::size_t used = static_cast<std::size_t>(datalog.areaBytes());
    for (const ProgramSlot& program : programs) {
        for (const ByteString& sub : program.subs)
            used += sub.size();
        for (const ByteString& task : program.tasks)
            used += task.size();
    }
    return static_cast<int>(used);
}
