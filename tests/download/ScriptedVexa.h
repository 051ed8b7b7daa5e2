#pragma once
// A Vexa behind the fake port that plays a script per port name: the data
// file it serves in blocks, and the faults it shows on the way.

#include "ContainerBuilder.h"
#include "FakePort.h"
#include "uArdoVexa.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pellkit::test {

// How one port's Vexa behaves. Block indexes count the 81h requests from 0.
struct TVexaScript {
    Bytes file;
    std::size_t block = 64;
    std::uint8_t openStatus = 0x00;
    bool silentOpen = false;
    int refuseBlock = -1;   // answered with status 80h
    int silentBlock = -1;   // never answered
    int corruptBlock = -1;  // answered with a bad checksum
    int hangupBlock = -1;   // the line is lost while it waits
    std::uint8_t finishStatus = 0x00;
};

class TScriptedPort : public FakePort {
public:
    // Threaded: the answers come byte by byte from a device thread of their own.
    explicit TScriptedPort(bool threaded = false)
        : FakePort([this](const Bytes& request) { return Answer(request); }, threaded)
    {
        Close();
    }

    void Open() override
    {
        if (!scripts.contains(Name()))
            throw ESerialPort(Name() + ": no such port");
        FakePort::Open();
        blocks_[Name()] = 0;
    }

    std::map<std::string, TVexaScript> scripts;
    // Called on the worker's thread with each command before it is answered.
    std::function<void(std::uint8_t command)> onCommand;
    std::vector<std::string> opened;

private:
    Bytes Answer(const Bytes& request)
    {
        const std::uint8_t command = request.size() > 5 ? request[5] : 0;
        if (onCommand)
            onCommand(command);
        const TVexaScript& s = scripts.at(Name());
        switch (command) {
        case 0x80:
            if (s.silentOpen)
                return {};
            return Response(s.openStatus, {0x00, 0x01, 0x02, 0x00});
        case 0x81: {
            const int index = blocks_[Name()]++;
            if (index == s.refuseBlock)
                return Response(0x80);
            if (index == s.silentBlock)
                return {};
            if (index == s.hangupBlock) {
                Hangup("the cable was pulled");
                return {};
            }
            const std::size_t from = static_cast<std::size_t>(index) * s.block;
            if (from >= s.file.size())
                return Response(0x83);
            const std::size_t to = std::min(s.file.size(), from + s.block);
            Bytes frame = Response(0x00, Bytes(s.file.begin() + static_cast<std::ptrdiff_t>(from),
                                               s.file.begin() + static_cast<std::ptrdiff_t>(to)));
            if (index == s.corruptBlock)
                frame[frame.size() - 2] ^= 0xFF;
            return frame;
        }
        case 0x83:
        case 0x84:
            return Response(s.finishStatus);
        default:
            return Response(0x00);
        }
    }

    std::map<std::string, int> blocks_;
};

} // namespace pellkit::test
