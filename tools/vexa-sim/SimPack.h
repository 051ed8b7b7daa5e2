#pragma once
// Builds Vexa data files: one F0h element holding one F1h entry per download,
// each entry holding its parts A0h..AFh. Lengths use the shortest form: one
// byte below 80h, else 80h|k followed by k big-endian bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Raised for an input that cannot become an entry; the text names the problem.
class EPackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PackPart {
    std::uint8_t tag;  // A0h..AFh
    Bytes content;
};
using PackEntry = std::vector<PackPart>;

Bytes EncodeLength(std::size_t length);
Bytes MakeElement(std::uint8_t tag, std::span<const std::uint8_t> content);
Bytes PackContainer(const std::vector<PackEntry>& entries);

// A driver card image read directly: one A7h part, the image as is.
PackEntry CardEntry(std::span<const std::uint8_t> image);
// A driver card image read through a vehicle unit: one A6h part, 76h 06h + image.
PackEntry CardViaVuEntry(std::span<const std::uint8_t> image);
// A VU download (transfer responses, the first the overview 76h 01h): the
// overview as A1h, everything after it as A2h (left out when nothing follows).
PackEntry VuEntry(std::span<const std::uint8_t> download);

// Length of the overview at the start of a VU download, its 76h 01h included:
// 2 + 621 + 98 per company lock + 31 per control activity.
std::size_t OverviewLength(std::span<const std::uint8_t> download);

// A small, well-formed driver card image of made-up data: application
// identification, identification (holder "SIMULATED", "TEST DRIVER") and
// card download. index (from 1) makes the card number unique.
Bytes SyntheticCardImage(int index);
