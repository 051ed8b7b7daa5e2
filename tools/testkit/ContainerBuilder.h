#pragma once
// Vexa data files: one F0h element holding one F1h entry per download, each
// entry holding its parts A0h..AFh. Lengths take the shortest form: one byte
// below 80h, else 80h|k followed by k big-endian bytes (k up to 4).
//
//   MakeContainer({{{0xA7, MakeCardImage(TCardFields{})}},
//                  {{0xA1, MakeOverviewResponse(0x0D, "AB 123", "VIN", t)}, {0xA2, MakeResponse(0x02, 300)}}})
//
// vexa-sim packs its data files with these too.

#include "CardImageBuilder.h"
#include "TestBytes.h"
#include "VuBlockBuilder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace pellkit::test {

// An input that cannot become an entry or a data file; the text names the problem.
class EPackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TPartBytes {
    std::uint8_t tag; // A0h..AFh
    Bytes content;
};
using TEntryParts = std::vector<TPartBytes>;

// EPackError past the four length bytes a data file allows.
Bytes EncodeLength(std::size_t length);
Bytes MakeElement(std::uint8_t tag, std::span<const std::uint8_t> content);
// F1h len parts...
Bytes MakeEntry(const TEntryParts& parts);
// F0h len entries...
Bytes MakeContainer(const std::vector<TEntryParts>& entries);

// A driver card image read directly: one A7h part, the image as is.
TEntryParts CardEntry(std::span<const std::uint8_t> image);
// A driver card image read through a vehicle unit: one A6h part, 76h 06h + image.
TEntryParts CardViaVuEntry(std::span<const std::uint8_t> image);
// A VU download (transfer responses, the first the overview 76h 01h): the
// overview as A1h, everything after it as A2h (left out when nothing follows).
TEntryParts VuEntry(std::span<const std::uint8_t> download);

// Length of the overview at the start of a VU download, its 76h 01h included:
// 2 + 621 + 98 per company lock + 31 per control activity. EPackError when
// the download does not start with one or is too short for it.
std::size_t OverviewLength(std::span<const std::uint8_t> download);

} // namespace pellkit::test
