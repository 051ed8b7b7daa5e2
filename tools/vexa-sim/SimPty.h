#pragma once
// A pseudo-terminal pair in raw mode. The simulator keeps one descriptor of
// the slave open itself, so that the line settings survive the program
// closing and reopening the port, and the master never sees a hang-up of
// its own.

#include <string>

class SimPty {
public:
    SimPty() = default;
    ~SimPty();
    SimPty(const SimPty&) = delete;
    SimPty& operator=(const SimPty&) = delete;

    bool Open(std::string& error);
    // Closing the master hangs up whoever has the slave open.
    void Close();

    bool IsOpen() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& SlavePath() const { return path_; }

    // Waits (at most limitMs) until the program has read what was written:
    // closing the master discards what the slave has not read yet.
    void WaitUntilRead(int limitMs) const;

    // A program that ended without closing the port leaves the exclusive
    // flag set, which would keep the next program out.
    void ReleaseExclusive() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};
