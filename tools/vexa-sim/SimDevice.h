#pragma once
// The simulated Vexa's behaviour, without the line: one request in, the bytes
// to send back out. The server puts it on a pseudo-terminal.
//
//   67h, 70h   status 00h and the two 16-bit values (big-endian)
//   71h        status 00h; the payload is only recorded
//   72h        status 00h
//   80h        status 00h and the two values; the next 81h reads from the start
//   81h        status 00h and the next block; status 83h once the data is exhausted
//              (with endless, blocks of zeros follow the data for ever)
//   83h        status 00h; the data file is gone (only in memory: the file given
//              to --data is never touched), so later reads find it empty
//   84h        status 00h; the data file is kept
//   other      status FFh
//
// A status override or a silent request changes no state. A corrupted,
// stalled or hung-up answer was processed first: the damage is on the line.

#include "SimRules.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

struct SimConfig {
    std::vector<std::uint8_t> data;
    std::size_t block = 512;
    std::uint16_t value1 = 0x0001;
    std::uint16_t value2 = 0x0200;
    std::vector<FaultRule> rules;
    bool noise = false;
    bool endless = false;  // the data file never ends
};

struct SimReply {
    std::uint8_t status = 0;
    std::vector<std::uint8_t> data;   // the answer's data bytes, as intended
    std::vector<std::uint8_t> wire;   // what goes on the line, noise and damage included
    std::string fault;                // "", "status", "silent", "corrupt", "stall", "hangup", "empty", "flood"
    bool hangup = false;              // close the line once wire is sent
    std::vector<std::string> events;  // device state changes: "kept", "deleted"
};

// Junk sent ahead of every answer with --noise; never an STX.
extern const std::vector<std::uint8_t> kSimNoise;

class SimDevice {
public:
    explicit SimDevice(SimConfig config);

    SimReply Handle(std::uint8_t command, std::span<const std::uint8_t> data);

    bool HasData() const { return !deleted_; }
    std::size_t ReadPosition() const { return position_; }

private:
    SimReply Answer(std::uint8_t command);

    SimConfig config_;
    std::size_t position_ = 0;
    bool deleted_ = false;
    std::map<std::uint8_t, int> counts_;
};
