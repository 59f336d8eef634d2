#include "sim/BrickControl.h"

#include "sim/Brick.h"
#include "sim/Json.h"
#include "sim/SensorScenes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const std::string ok = "ok";

std::string error(const std::string& reason)
{
    return "error: " + reason;
}

const char* outputModeName(OutputMode mode)
{
    switch (mode) {
    case OutputMode::On:
        return "on";
    case OutputMode::Off:
        return "off";
    case OutputMode::Float:
        break;
    }
    return "float";
}

void codeObject(JsonWriter& json, const char* name, const auto& codes)
{
    json.key(name).beginObject();
    for (std::size_t number = 0; number < codes.size(); ++number)
        if (!codes[number].empty())
            json.key(std::to_string(number)).value(BrickControl::hexText(codes[number]));
    json.endObject();
}

template <typename Values> void numberArray(JsonWriter& json, const char* name, const Values& values)
{
    json.key(name).beginArray();
    for (auto value : values)
        json.value(static_cast<int>(value));
    json.endArray();
}

void playedObject(JsonWriter& json, const Played& played)
{
    json.beginObject();
    if (played.sound >= 0) {
        json.key("sound").value(played.sound);
    } else {
        json.key("tone").value(played.frequency);
        json.key("duration").value(played.duration);
    }
    json.endObject();
}

void unknownOpcodeObject(JsonWriter& json, const std::optional<UnknownOpcode>& unknown)
{
    json.key("unknownOpcode");
    if (!unknown) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("task").value(unknown->task);
    if (unknown->at.sub >= 0)
        json.key("sub").value(unknown->at.sub);
    json.key("pc").value(unknown->at.pc);
    json.key("opcode").value(unknown->opcode);
    json.endObject();
}

const char* parityName(Parity parity)
{
    switch (parity) {
    case Parity::odd:
        return "odd";
    case Parity::even:
        return "even";
    case Parity::none:
        break;
    }
    return "none";
}

void lineObject(JsonWriter& json, const LineMode& line)
{
    json.key("line").beginObject();
    json.key("speed").value(line.settings.bitsPerSecond);
    json.key("complements").value(line.complements);
    json.key("parity").value(parityName(line.settings.parity));
    json.endObject();
}

const char* outcomeName(h8300::CallOutcome::Kind kind)
{
    switch (kind) {
    case h8300::CallOutcome::Kind::returned:
        return "returned";
    case h8300::CallOutcome::Kind::budgetExhausted:
        return "budget exhausted";
    case h8300::CallOutcome::Kind::unknownInstruction:
        break;
    }
    return "unknown instruction";
}

void callObject(JsonWriter& json, const std::optional<h8300::CallOutcome>& call)
{
    json.key("call");
    if (!call) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("outcome").value(outcomeName(call->kind));
    json.key("executed").value(static_cast<int>(call->executed));
    json.key("address").value(call->address);
    if (call->kind == h8300::CallOutcome::Kind::unknownInstruction)
        json.key("instruction").value(call->instruction);
    json.endObject();
}

// Control characters of an echoed line written as \xNN, so that every
// answer is one line whatever the input held.
std::string oneLine(const std::string& answer)
{
    std::string line;
    char escaped[5];
    for (const unsigned char c : answer) {
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            line += escaped;
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

} // namespace

BrickControl::BrickControl(Brick& brick, SensorScenes* scenes)
    : myBrick(brick)
    , myScenes(scenes)
{
}

std::string BrickControl::run(const std::string& line)
{
    words.clear();
    std::istringstream stream(line);
    for (std::string word; stream >> word;)
        words.push_back(word);
    return oneLine(answer(line));
}

std::string BrickControl::answer(const std::string& line)
{
    if (words.empty())
        return error("empty command");
    const std::string& command = words.front();
    if (command == "state" && words.size() == 1)
        return stateJson(myBrick.snapshot());
    if (command == "history")
        return history();
    if (command == "sensor")
        return sensor();
    if (command == "battery")
        return battery();
    if (command == "message")
        return message();
    if (command == "datalog")
        return datalog();
    if (command == "power")
        return power();
    if (command == "silent")
        return silent();
    if (command == "noise")
        return noise();
    if (command == "refuse-blocks")
        return refuseBlocks();
    if (command == "dump")
        return dump(line);
    if (command == "advance")
        return advance();
    if (command == "scene")
        return myScenes ? myScenes->run(words) : error("no scenes here");
    if (isQuit(line))
        return ok;
    return error("unknown command: " + line);
}

bool BrickControl::isQuit(const std::string& line)
{
    std::istringstream stream(line);
    std::string first, more;
    stream >> first >> more;
    return first == "quit" && more.empty();
}

bool BrickControl::wordIs(std::size_t index, const char* expected) const
{
    return index < words.size() && words[index] == expected;
}

std::optional<long> BrickControl::number(std::size_t index, long low, long high) const
{
    if (index >= words.size())
        return std::nullopt;
    const std::string& word = words[index];
    const bool hexadecimal = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const std::string digits = word.substr(hexadecimal ? 2 : (word[0] == '-' ? 1 : 0));
    const auto isDigit = [hexadecimal](unsigned char c) { return hexadecimal ? std::isxdigit(c) : std::isdigit(c); };
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    const long value = std::strtol(word.c_str() + (hexadecimal ? 2 : 0), nullptr, hexadecimal ? 16 : 10);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::string BrickControl::history()
{
    if (words.size() == 2 && words[1] == "clear") {
        myBrick.clearHistory();
        return ok;
    }
    if (words.size() != 1)
        return error("usage: history [clear]");
    JsonWriter json;
    json.beginArray();
    for (const ByteString& command : myBrick.history())
        json.value(hexText(command));
    json.endArray();
    return json.text();
}

std::string BrickControl::sensor()
{
    const std::optional<long> input = number(1, 1, 3);
    const std::optional<long> raw = number(3, 0, 1023);
    if (words.size() != 4 || !input || !wordIs(2, "raw") || !raw)
        return error("usage: sensor 1-3 raw 0-1023");
    myBrick.setSensorRaw(static_cast<int>(*input - 1), static_cast<int>(*raw));
    return ok;
}

std::string BrickControl::battery()
{
    const std::optional<long> millivolts = number(1, 0, 0xFFFF);
    if (words.size() != 2 || !millivolts)
        return error("usage: battery 0-65535");
    myBrick.setBattery(static_cast<int>(*millivolts));
    return ok;
}

std::string BrickControl::message()
{
    const std::optional<long> value = number(1, 0, 255);
    if (words.size() != 2 || !value)
        return error("usage: message 0-255");
    if (!myBrick.sendMessage(static_cast<std::uint8_t>(*value)))
        return error("the brick is off");
    return ok;
}

std::string BrickControl::datalog()
{
    const std::optional<long> type = number(2, 0, 255);
    const std::optional<long> value = number(3, -32768, 65535);
    if (words.size() != 4 || !wordIs(1, "add") || !type || !value)
        return error("usage: datalog add TYPE VALUE");
    if (!myBrick.addDatalogEntry(static_cast<std::uint8_t>(*type), static_cast<std::int16_t>(*value)))
        return error("the datalog is full");
    return ok;
}

std::string BrickControl::power()
{
    if (words.size() != 2 || !wordIs(1, "on"))
        return error("usage: power on");
    myBrick.powerOn();
    return ok;
}

std::string BrickControl::silent()
{
    if (words.size() != 2 || !(wordIs(1, "on") || wordIs(1, "off")))
        return error("usage: silent on|off");
    myBrick.setSilent(wordIs(1, "on"));
    return ok;
}

std::string BrickControl::noise()
{
    const std::optional<double> probability = words.size() == 2 ? parseProbability(words[1]) : std::nullopt;
    if (!probability)
        return error("usage: noise 0-1");
    myBrick.setNoise(*probability);
    return ok;
}

std::string BrickControl::refuseBlocks()
{
    const std::optional<long> count = number(1, 0, 1000000);
    if (words.size() != 2 || !count)
        return error("usage: refuse-blocks COUNT");
    myBrick.refuseBlocks(static_cast<int>(*count));
    return ok;
}

std::string BrickControl::dump(const std::string& line)
{
    if (words.size() < 3 || !wordIs(1, "firmware"))
        return error("usage: dump firmware FILE");
    // The file name is the rest of the line, blanks included.
    const std::size_t at = line.find("firmware") + 8;
    const std::size_t start = line.find_first_not_of(" \t", at);
    const std::size_t end = line.find_last_not_of(" \t\r");
    const std::string path = line.substr(start, end + 1 - start);
    const ByteString image = myBrick.snapshot().firmware.image;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    file.close();
    if (!file)
        return error("can't write " + path);
    return ok;
}

std::string BrickControl::advance()
{
    // Up to a day at a time.
    const std::optional<long> milliseconds = number(1, 0, 24L * 60 * 60 * 1000);
    if (words.size() != 2 || !milliseconds)
        return error("usage: advance MS");
    if (!myBrick.advance(*milliseconds))
        return error("the clock is not manual");
    return ok;
}

std::string BrickControl::hexText(const ByteString& bytes)
{
    std::string text;
    char digits[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        if (!text.empty())
            text += ' ';
        text += digits;
    }
    return text;
}

std::string BrickControl::stateJson(const BrickState& state)
{
    JsonWriter json;
    json.beginObject();
    json.key("power").value(state.powered ? "on" : "off");
    json.key("silent").value(state.silent);
    lineObject(json, state.line.mode());
    json.key("battery").value(state.battery);
    json.key("slot").value(state.slot + 1);
    json.key("running").value(state.running());
    numberArray(json, "tasks", state.runningTasks());
    json.key("time").value(static_cast<int>(state.time));
    json.key("watch").value(state.watch);
    json.key("timers").beginArray();
    for (int timer = 0; timer < 4; ++timer)
        json.value(state.timers.read(timer, state.time, TimerState::tenths));
    json.endArray();
    numberArray(json, "counters", state.counters);
    json.key("display").value(state.display);
    json.key("userDisplay").beginObject();
    json.key("source").value(state.userDisplay.source);
    json.key("argument").value(state.userDisplay.argument);
    json.key("decimals").value(state.userDisplay.decimals);
    json.endObject();
    json.key("powerDownDelay").value(state.powerDownDelay);
    json.key("range").value(state.transmitterRange);
    json.key("message").value(state.lastMessage);

    json.key("outputs").beginArray();
    for (const OutputState& output : state.outputs) {
        json.beginObject();
        json.key("power").value(output.effectivePower());
        json.key("direction").value(output.effectiveForward() ? "forward" : "reverse");
        json.key("state").value(outputModeName(output.effectiveMode()));
        json.endObject();
    }
    json.endArray();

    json.key("sensors").beginArray();
    for (const SensorState& sensor : state.sensors) {
        json.beginObject();
        json.key("type").value(sensor.type);
        json.key("mode").value(sensor.mode);
        json.key("slope").value(sensor.slope);
        json.key("raw").value(sensor.raw);
        json.key("value").value(sensor.value);
        json.endObject();
    }
    json.endArray();

    numberArray(json, "variables", state.variables);

    json.key("datalog").beginObject();
    json.key("size").value(state.datalog.size);
    json.key("entries").beginArray();
    for (int index = 0; index < (state.datalog.size > 0 ? state.datalog.used() : 0); ++index) {
        const DatalogEntry entry = state.datalog.entry(index);
        json.beginArray().value(entry.type).value(entry.value).endArray();
    }
    json.endArray();
    json.endObject();

    json.key("programs").beginArray();
    for (std::size_t slot = 0; slot < state.programs.size(); ++slot) {
        json.beginObject();
        json.key("slot").value(static_cast<int>(slot) + 1);
        codeObject(json, "tasks", state.programs[slot].tasks);
        codeObject(json, "subs", state.programs[slot].subs);
        json.endObject();
    }
    json.endArray();

    const FirmwareState& firmware = state.firmware;
    json.key("firmware").beginObject();
    json.key("present").value(firmware.present);
    json.key("unlocked").value(firmware.unlocked);
    json.key("address").value(firmware.address);
    json.key("length").value(static_cast<int>(firmware.image.size()));
    json.key("checksum").value(firmware.checksum);
    callObject(json, firmware.call);
    json.endObject();

    json.key("received").beginObject();
    numberArray(json, "messages", state.messages);
    numberArray(json, "remote", state.remote);
    json.endObject();

    json.key("played").beginArray();
    for (const Played& played : state.played)
        playedObject(json, played);
    json.endArray();
    numberArray(json, "sent", state.sent);
    unknownOpcodeObject(json, state.unknownOpcode);

    json.endObject();
    return json.text();
}
