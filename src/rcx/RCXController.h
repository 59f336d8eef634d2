#pragma once

#include "link/RCXPacket.h"
#include "link/RCXSender.h"
#include "protocol/ProgramSlots.h"
#include "rcx/CompiledProgram.h"
#include "rcx/FileOp.h"
#include "rcx/FirmwareFile.h"
#include "rcx/ProgressCount.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// An output's state, decoded from its status byte, in the codes the set
// operations take: power 1 to 8, direction 2 forward or 0 reverse, onOffFloat
// 2 on, 1 off, 0 float.
struct OutputSettings {
    int power;
    int direction;
    int onOffFloat;
};

// A sensor's type and mode byte as read, and the mode byte's two parts: mode
// code 0 to 7 (bits 5-7) and slope 0 to 31 (bits 0-4).
struct SensorSettings {
    int type;
    int rawMode;
    int mode;
    int slope;
};

// A datalog entry as uploaded: its type byte (kind in bits 5-7, number in bits
// 0-4) and its value, signed.
struct LogEntry {
    int type;
    int value;
};

// The brick's ROM and firmware versions, each as major and minor number;
// the firmware's are 0 while the brick has none.
struct Versions {
    int romMajor;
    int romMinor;
    int firmwareMajor;
    int firmwareMinor;

    bool hasFirmware() const { return firmwareMajor != 0 || firmwareMinor != 0; }
};

// The brick's vocabulary: one operation per brick command, each made into
// opcodes and argument bytes for the sender and its reply decoded. Failed
// exchanges are told to the sender's listeners; the operations carry on with
// the neutral value the sender returns.
//
// It also keeps the host's only record of the five program slots: the name of
// each slot's program, tasks, subroutines and variables. Those strings are
// created once and only ever changed in place, so a view or script that keeps
// a reference sees every later change.
//
// Numbering: sensors 1-3; program slots 1-5 (0-4 inside and on the wire);
// outputs as a mask A = 1, B = 2, C = 4 when setting, a number 1-3 when read;
// tasks 1-10 and subroutines 1-8 in the name lookups; variables 0-31.
class RCXController {
public:
    static constexpr int slotCount = programSlots;
    static constexpr int taskCount = tasksPerSlot;
    static constexpr int subCount = subsPerSlot;
    static constexpr int varCount = globalVariables;
    static constexpr int memMapLength = 2 * memoryMapWords;
    static constexpr int maxDownloadErrors = 10;

    RCXController(RCXSender& sender, RCXPacket& packet);
    RCXController(const RCXController&) = delete;
    RCXController& operator=(const RCXController&) = delete;

    int readInput(int sensor);
    // Millivolts.
    int readBatteryLevel();
    int readVariable(int variable);
    void writeVariable(int variable, int value);
    // Fills `buffer` (at least memMapLength bytes) with the memory map, then
    // works out the datalog size and marks occupied, nameless slots "Unknown".
    void readMemMap(std::uint8_t* buffer);
    void setWatchTime(int hours, int minutes);
    // Minutes since midnight.
    int readWatch();
    // Answered by the boot ROM too, so also by a brick without firmware.
    Versions readVersions();
    // One of the brick's system sounds, 0-5.
    void playSound(int sound);
    // The minutes the brick waits idle before it turns itself off; 0: never.
    void setPowerDownDelay(int minutes);
    void sendMessage(int message);
    // The brick's message number `index`, or a negative value when there is
    // none (as the link layer answers).
    int getMessage(int index, float timeout);
    // The index of the oldest message the link layer still holds; a reader
    // that fell further behind goes on from there.
    int oldestHeldMessage() const { return myRCXPacket.oldestHeldMessage(); }
    // `command` is a remote-control word (RemoteWord).
    void sendRemoteCommand(int command);
    // Sets up (and so clears) the datalog with room for `size` entries; a
    // refusal is told to `fileOp` as "RCX memory full".
    void setDataLog(int size, FileOp& fileOp);
    // The datalog capacity in entries, as last computed or set.
    int datalogSize() const { return datalogEntries; }
    // Entries in use, entry 0 included.
    int datalogUsed();
    void deleteCurrentProgram();
    void setOutputsDirection(int outputs, int direction);
    // Power 1-8; a power outside goes out as power - 1 in one byte, unchecked,
    // since the window and the scripts pass only 1-8.
    void setOutputsPower(int outputs, int power);
    void setOutputsOnOffFloat(int outputs, int state);
    OutputSettings readOutputSettings(int output);
    void runCurrentProgram();
    void selectProgram(int slot);
    // The slot last selected or read, 1-5.
    int currentSlot() const { return progNum + 1; }
    // Reads the brick's current slot into the controller; returns it, 1-5.
    int syncProgNum();
    void stopProgram();
    void powerOff();
    void setSensorType(int sensor, int type);
    void setSensorMode(int sensor, int mode);
    void setSensorModeSlope(int sensor, int mode, int slope);
    SensorSettings readSensorSettings(int sensor);

    // The name tables. An index outside its range gets a scratch string that
    // is emptied on every such lookup, so a bad index never reaches past the
    // tables.
    std::string& currentProgName();
    std::string& progName(int slot);
    std::string& taskName(int slot, int task);
    std::string& subName(int slot, int sub);
    std::string& varName(int slot, int variable);
    std::string& currentVarName(int variable);

    // What sendProgFile did.
    enum ProgFileResult {
        progFileDownloaded = 0,
        // Failed once the slot's program was being replaced: the slot holds
        // whatever had arrived.
        progFileFailed = 1,
        // The file was refused before anything was sent: the brick and the
        // slot's names are as they were.
        progFileRefused = 2,
    };
    // Downloads a compiled program file into the current slot and names it
    // after the file and its symbols; every failure is told to abortFileOp.
    ProgFileResult sendProgFile(const std::string& path, FileOp& fileOp);
    // The same for a file made from another, `fileName`: the messages and
    // the slot's name are that file's.
    ProgFileResult sendProgFile(const std::string& path, const std::string& fileName, FileOp& fileOp);
    enum class FirmwareSpeed {
        normal,
        // Through the ROM's fast line: Infrabrick's fast download image at
        // normal speed first, then the firmware at 4800 bit/s without
        // complements, falling back to normal speed where the ROM allows.
        fast,
    };
    // Installs firmware from an S-record file, checked whole before anything
    // is sent.
    void sendFirmware(const std::string& path, FileOp& fileOp, FirmwareSpeed speed = FirmwareSpeed::normal);
    // Uploads the datalog into a text file, one line per entry. The file is
    // created and opened in one step, so "Can't open file" comes only before
    // startFileOp. A line that cannot be written, or a file that cannot be
    // closed (a full disk), fails the save with "Error writing file".
    void saveDatalogFile(const std::string& path, FileOp& fileOp);
    // Uploads the datalog into memory with the transfer of saveDatalogFile:
    // the data entries in order, or none when the length could not be read
    // (told to abortFileOp).
    std::optional<std::vector<LogEntry>> uploadDatalog(FileOp& fileOp);
    // The text line of one datalog entry, named after the current slot's
    // variables.
    std::string datalogLine(int type, int value);

private:
    struct SlotNames {
        std::string program;
        std::array<std::string, taskCount> tasks;
        std::array<std::string, subCount> subs;
        std::array<std::string, varCount> vars;
    };

    // The names of slot 0-4, or null.
    SlotNames* slotNames(int slotIndex);
    template <std::size_t Count>
    std::string& nameIn(SlotNames* slot, std::array<std::string, Count> SlotNames::*table, int index);
    std::string& noName();
    void clearCurrentNames();
    // Deletes the firmware, and with it every program the brick held: the
    // slots' names go too.
    void deleteFirmware();
    // Sends `length` bytes as download blocks of `blockSize` (the last one
    // numbered 0), retrying refused ones; each accepted block advances the
    // progress by its share of `progressTotal` bytes. False once one block
    // has failed maxDownloadErrors times.
    bool sendBlocks(const std::uint8_t* data, int length, int blockSize, double progressTotal, FileOp& fileOp);
    // One block, sent until the brick accepts it; false after
    // maxDownloadErrors refusals or failed exchanges.
    bool sendBlock(int index, const std::uint8_t* data, int blockSize);
    // The firmware's delete, begin, blocks and unlock on the normal line,
    // the blocks advancing the progress by their share of `progressTotal`
    // bytes; the failure's message key, or null.
    const char* install(const FirmwareFile& firmware, double progressTotal, FileOp& fileOp);
    // False when the brick refused the begin.
    bool beginFirmware(const FirmwareFile& firmware);
    // True when the brick answered the unlock as it does an image it took.
    bool unlockFirmware();
    const char* installFast(const FirmwareFile& firmware, FileOp& fileOp);
    // The firmware on the fast line, once the ROM speaks it; where the ROM
    // does not, at normal speed or not at all.
    const char* installOnFastLine(const FirmwareFile& firmware, ProgressCount& progress);
    // After the fast line failed `failure`: on at normal speed if the brick
    // answers there, else `failure`, with the link left on the normal line.
    const char* fallBack(const FirmwareFile& firmware, const char* failure, ProgressCount& progress);
    enum class FastTransfer { sent, failed, damaged };
    // Delete, begin and the blocks on the fast line, the blocks taking the
    // rest of the progress: failed when the brick refused the begin or a
    // block failed maxDownloadErrors times in a row, damaged when the brick
    // found the image's checksum wrong.
    FastTransfer sendFastImage(const FirmwareFile& firmware, ProgressCount& progress);
    // Blocks without complements, cut before a run of zeros the brick's
    // receiver would lose its sync on, the ones after a failure shorter.
    FastTransfer sendFastBlocks(const std::vector<std::uint8_t>& image, double progressTotal, FileOp& fileOp);
    // Switches the link's line; false when the port refused.
    bool switchLine(LineSpeed speed);
    // The line the brick answers an alive command on, the present one tried
    // first; the link is left on it, or on the present one when the brick
    // answers on neither.
    std::optional<LineSpeed> findBricksLine();
    const char* downloadProgram(const CompiledProgram& program, FileOp& fileOp);
    const char* downloadFragment(const CompiledProgram::Fragment& fragment, int fragmentCount, FileOp& fileOp);
    void addName(int type, int index, const std::string& name);
    // Uploads the data entries block by block, handing each to `take`, which
    // answers false when it could not keep it (a write failed): the upload
    // ends there with "Error writing file". The failure's message, or null.
    const char* uploadEntries(const std::function<bool(const LogEntry&)>& take, FileOp& fileOp);

    RCXSender& myRCXSender;
    RCXPacket& myRCXPacket;
    int progNum = 0;
    int datalogEntries = 0;
    std::array<SlotNames, slotCount> names;
    std::string outOfRange;
};
