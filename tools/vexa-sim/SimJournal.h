#pragma once
// The simulator's journal: one JSON object per line, flushed as written, so
// that a test can read it while the simulator runs.
//
//   {"t":0.012345,"dir":"rx","cmd":"81","data":""}
//   {"t":0.013001,"dir":"tx","cmd":"81","status":"00","data":"F0820...","sent":520}
//   {"t":0.013002,"dir":"tx","cmd":"80","status":"00","data":"","sent":0,"fault":"silent"}
//   {"t":0.020000,"dir":"rx","error":-3,"raw":"0261000001815503"}
//   {"t":0.030000,"dir":"state","event":"deleted"}
//
// t: seconds on the monotonic clock since the simulator started. cmd, status
// and data are upper-case hex. sent: bytes put on the line, noise included.
// fault: "status", "silent", "corrupt", "stall" or "hangup". Request errors
// are the frame validation codes (-1 delimiters, -2 length, -3 checksum) or
// "incomplete" for a request that stopped arriving. State events: "kept",
// "deleted", "hangup", "reopened" (with "path"), "stopped".

#include "SimDevice.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

class SimJournal {
public:
    SimJournal();
    ~SimJournal();
    SimJournal(const SimJournal&) = delete;
    SimJournal& operator=(const SimJournal&) = delete;

    // Without a successful Open every call is a no-op.
    bool Open(const std::string& path, std::string& error);

    void Request(std::uint8_t command, std::span<const std::uint8_t> data);
    void BadRequest(const std::string& error, std::span<const std::uint8_t> raw);
    void Answer(std::uint8_t command, const SimReply& reply, std::size_t sent);
    void State(const std::string& event, const std::string& path = {});

private:
    void Line(const std::string& fields);

    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_;
};

std::string SimHex(std::span<const std::uint8_t> bytes);
