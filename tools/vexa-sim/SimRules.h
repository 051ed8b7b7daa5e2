#pragma once
// Status overrides and injected faults of the simulated Vexa.
//
// Command and status codes are hexadecimal ("81" or "0x81"); request
// numbers and byte counts are decimal. N counts the requests of that
// command since the simulator started, from 1; without N a rule applies
// to every request of the command.
//
//   status   CMD=S[:N]    answer status S (no data) instead of the normal answer
//   silent   CMD[:N]      no answer at all; the request has no effect
//   corrupt  CMD[:N]      the answer's checksum byte is wrong
//   stall    CMD[:N]:K    only the first K bytes of the answer are sent
//   hangup   CMD[:N]      half the answer is sent, then the line is closed
//   empty    CMD[:N]      status 00h without data (a block that carries nothing)
//   flood    CMD[:N]:K    K junk bytes follow the answer

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class FaultKind { Status, Silent, Corrupt, Stall, Hangup, Empty, Flood };

struct FaultRule {
    FaultKind kind = FaultKind::Silent;
    std::uint8_t command = 0;
    int nth = 0;    // 0: every request of the command
    int value = 0;  // Status: the status byte; Stall: bytes sent; Flood: junk bytes
};

// Parses one option value; on failure returns nothing and sets error.
std::optional<FaultRule> ParseFaultRule(FaultKind kind, const std::string& text, std::string& error);

// Parses a hexadecimal byte ("81", "0x81"); nothing when malformed or above FFh.
std::optional<std::uint8_t> ParseHexByte(const std::string& text);

// The first rule of the kind that applies to request number n of the command.
const FaultRule* FindRule(const std::vector<FaultRule>& rules, FaultKind kind, std::uint8_t command, int n);
