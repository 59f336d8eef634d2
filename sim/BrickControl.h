#pragma once

#include "sim/BrickState.h"

#include <optional>
#include <string>
#include <vector>

class Brick;
class SensorScenes;

// The control language of the virtual brick: one command a line, one line of
// answer ("ok", a JSON value, or "error: " and the reason; control characters
// of the line it echoes are written as \xNN). Numbers are
// decimal, or hexadecimal with 0x. A command that does not parse changes
// nothing.
//
//   state                      the whole state as one JSON object, the
//                              line mode and the image's call included
//   history                    the host's commands so far, a JSON array of
//                              hex texts ("12 09 00"); `history clear`
//   sensor N raw V             sensor 1-3 reads V (0-1023)
//   battery MV                 the battery's millivolts (0-65535)
//   message V                  the brick sends message V (0-255)
//   datalog add TYPE VALUE     appends an entry (value -32768..65535)
//   power on                   switches the brick on again
//   silent on|off              its replies go nowhere, or go out again
//   noise P                    each infrared byte lost or garbled with
//                              probability P (0 to 1)
//   refuse-blocks K            the next K transfer-data blocks get status 3
//   dump firmware FILE         writes the firmware image received to FILE
//   advance MS                 a manual clock moves on MS milliseconds,
//                              running everything that falls due
//   scene line|touch|still N [PERIOD_MS]
//                              sensor N moves by itself (SensorScenes),
//                              where the control has scenes
//   quit                       "ok"; the program around the brick ends
class BrickControl {
public:
    // `scenes`, when given, plays the `scene` commands.
    explicit BrickControl(Brick& brick, SensorScenes* scenes = nullptr);

    std::string run(const std::string& line);
    // Whether the line is the `quit` command, which ends the program.
    static bool isQuit(const std::string& line);

    // The state as the `state` command writes it.
    static std::string stateJson(const BrickState& state);
    // "12 09 00"
    static std::string hexText(const ByteString& bytes);

private:
    // The answer to the line whose words have just been split.
    std::string answer(const std::string& line);
    std::string sensor();
    std::string battery();
    std::string message();
    std::string datalog();
    std::string power();
    std::string silent();
    std::string noise();
    std::string refuseBlocks();
    std::string dump(const std::string& line);
    std::string advance();
    std::string history();

    // Word `index` as a number within [low, high].
    std::optional<long> number(std::size_t index, long low, long high) const;
    bool wordIs(std::size_t index, const char* expected) const;

    Brick& myBrick;
    SensorScenes* myScenes;
    std::vector<std::string> words;
};
