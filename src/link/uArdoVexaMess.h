#pragma once
// One Vexa frame, request or response.
//
// Wire format (offsets from the first byte; n = number of data bytes):
//
//   offset  size  content
//   0       1     STX 02h
//   1       1     61h ('a')
//   2       1     00h (not tested on receive)
//   3       2     length field L = n + 1, big-endian (command/status + data)
//   5       1     command code (request) / status byte (response, 00h = accepted)
//   6       n     data, any byte values: no escaping, only L delimits the frame
//   6+n     1     checksum: XOR of bytes 1 .. 5+n (not STX, checksum, ETX)
//   7+n     1     ETX 03h
//
// A frame is n + 8 = L + 7 bytes.  Example: command 81h, no data =
// 02 61 00 00 01 81 E1 03.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class ISerialPort;

// Validation results, also the results of an exchange that received a damaged frame.
enum : int {
    kFrameOk = 0,
    kFrameBadDelimiters = -1, // wrong STX, second byte or ETX
    kFrameBadLength = -2,     // length field does not match the bytes received
    kFrameBadChecksum = -3,
};

class TvexaMessage {
public:
    // Request: builds the whole frame from a command and its data bytes.
    TvexaMessage(std::uint8_t command, std::span<const std::uint8_t> data);
    // Received frame: copied exactly as assembled, not validated.
    explicit TvexaMessage(std::span<const std::uint8_t> bytes);

    std::uint8_t Checksum() const;
    int Validate() const;
    std::uint8_t Code() const;      // byte 5: command of a request, status of a response
    int DataLength() const;         // from the length field, not from the array size
    int FrameLength() const { return static_cast<int>(Data.size()); }
    // Data byte i (frame offset 6 + i); 0 when the frame does not reach it.
    std::uint8_t DataByte(std::size_t i) const;
    // The data bytes that the length field declares and the frame actually holds.
    std::span<const std::uint8_t> Payload() const;

    // Writes all FrameLength() bytes in one write call; a port failure propagates.
    void SendTo(ISerialPort& port) const;

    std::int32_t Length = 0;         // bytes in the frame, STX to ETX
    std::vector<std::uint8_t> Data;  // the whole frame
};
