#include "uArdoVexaMess.h"

#include "uSerialPort.h"

#include <algorithm>

namespace {
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kSecond = 0x61;
constexpr std::uint8_t kEtx = 0x03;
} // namespace

TvexaMessage::TvexaMessage(std::uint8_t command, std::span<const std::uint8_t> data)
{
    Length = static_cast<std::int32_t>(data.size()) + 8;
    const std::int32_t field = Length - 7;
    Data.reserve(static_cast<std::size_t>(Length));
    Data.push_back(kStx);
    Data.push_back(kSecond);
    Data.push_back(0x00);
    Data.push_back(static_cast<std::uint8_t>((field >> 8) & 0xFF));
    Data.push_back(static_cast<std::uint8_t>(field & 0xFF));
    Data.push_back(command);
    Data.insert(Data.end(), data.begin(), data.end());
    Data.push_back(0x00); // checksum, computed last over the bytes in place
    Data.push_back(kEtx);
    Data[static_cast<std::size_t>(Length) - 2] = Checksum();
}

TvexaMessage::TvexaMessage(std::span<const std::uint8_t> bytes)
    : Length(static_cast<std::int32_t>(bytes.size())), Data(bytes.begin(), bytes.end())
{
}

std::uint8_t TvexaMessage::Checksum() const
{
    const std::int32_t end = std::min<std::int32_t>(Length, static_cast<std::int32_t>(Data.size())) - 3;
    std::uint8_t sum = 0;
    for (std::int32_t i = 1; i <= end; ++i)
        sum ^= Data[static_cast<std::size_t>(i)];
    return sum;
}

int TvexaMessage::Validate() const
{
    // Length and Data are public: never index past what is really there.
    if (Length < 0 || static_cast<std::size_t>(Length) != Data.size())
        return kFrameBadLength;
    if (Length < 2 || Data[0] != kStx || Data[1] != kSecond || Data[static_cast<std::size_t>(Length) - 1] != kEtx)
        return kFrameBadDelimiters;
    if (Length < 5 || (Data[3] * 256 + Data[4]) + 7 != Length)
        return kFrameBadLength;
    // A length field of 0 leaves no status byte: the checksum would be read
    // as the status, and a data length of -1 follow.
    if (Length < 8)
        return kFrameBadLength;
    if (Checksum() != Data[static_cast<std::size_t>(Length) - 2])
        return kFrameBadChecksum;
    return kFrameOk;
}

std::uint8_t TvexaMessage::Code() const { return Data.size() > 5 ? Data[5] : 0; }

int TvexaMessage::DataLength() const
{
    return Data.size() >= 5 ? (Data[3] * 256 + Data[4]) - 1 : -1;
}

std::uint8_t TvexaMessage::DataByte(std::size_t i) const
{
    return 6 + i < Data.size() ? Data[6 + i] : 0;
}

std::span<const std::uint8_t> TvexaMessage::Payload() const
{
    const int declared = DataLength();
    // Checksum and ETX are never data, even when the length field says so.
    if (declared <= 0 || Data.size() <= 8)
        return {};
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(declared), Data.size() - 8);
    return std::span<const std::uint8_t>(Data).subspan(6, n);
}

void TvexaMessage::SendTo(ISerialPort& port) const { port.Write(Data); }
