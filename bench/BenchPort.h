#pragma once
// The program's own serial adapter, held to one device path: the download
// worker names its ports COMn, the benchmark's line is a pty.

#include "uQtSerialPort.h"

#include <string>

class TBenchPort : public TQtSerialPort {
public:
    explicit TBenchPort(const std::string& device) { TQtSerialPort::SetName(device); }
    void SetName(const std::string&) override {}
};
