#pragma once
// The Vexa's data file: a tag-length-value container.
//
//   F0h len   data file: the entries, one after the other, up to the end of
//             the received data (its length ends nothing; it is only logged)
//   F1h L     entry: parts until the position has advanced by at least L
//             bytes since the first part began (the last part may run past L)
//   Axh len   part: x is the part number
//               A1h  VU overview, a transfer response 76h 01h ...
//               A2h..A5h further VU transfer responses
//               A6h  card image read through a VU, 76h 06h + image
//               A7h  card image read directly
//               A0h, A8h..AFh  not interpreted
//
// Length rule: b < 80h is the length itself; otherwise the next (b AND 0Fh)
// bytes, big-endian, kept in 32 bits.
//
// The data is hostile: every length is checked against the bytes present
// before anything is copied, and every loop consumes bytes.

#include "uMemoryStream.h"

#include <QString>

#include <cstdint>

namespace container {
constexpr std::uint8_t kDataFileTag = 0xF0;
constexpr std::uint8_t kEntryTag = 0xF1;
constexpr std::uint8_t kOverviewPart = 0xA1;
constexpr std::uint8_t kCardViaVuPart = 0xA6;
constexpr std::uint8_t kCardPart = 0xA7;

inline bool IsPartTag(std::uint8_t tag) { return (tag & 0xF0) == 0xA0; }
inline int PartNumber(std::uint8_t tag) { return tag & 0x0F; }
} // namespace container

// Where the validation pass writes its diagnostic lines, one per call. The
// download worker implements it with the debug output.
class IDebugLog {
public:
    virtual ~IDebugLog() = default;
    virtual void DebugLog(const QString& line) = 0;
};

// Reads one length by the length rule. Missing bytes count as zero; callers
// check the result against what is left.
std::uint32_t ReadContainerLength(TMemoryStream& stream);

// Reads one tag byte; false when the stream has no byte left.
bool ReadContainerTag(TMemoryStream& stream, std::uint8_t& tag);

// Copies a part of the given length from the stream's position into a new
// stream (positioned at 0). Throws ETachoError, consuming nothing, when fewer
// bytes are left than the length announces.
TMemoryStream ReadContainerPart(TMemoryStream& stream, std::uint32_t length);

// The worker's pass: walks the whole container, loading every card image with
// the full card reader and every VU overview with the overview reader.
// Returns 0 when all of it is sound, -1 otherwise.
int ValidateContainer(IDebugLog& log, TMemoryStream& stream);
