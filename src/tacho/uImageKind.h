#pragma once
// What a file holds, told by its content (never its name), and where the
// image inside it starts.

#include <cstddef>
#include <cstdint>
#include <span>

enum class TImageKind {
    Unknown,
    DriverCard, // an image that starts with the header of a known card file
    VuOverview, // a VU download or overview block: 76h 01h
    // Smart tachograph data, which this program does not read:
    VuGeneration2,   // a VU download that starts 76h 21h..25h or 31h..35h
    CardGeneration2, // a card image with blocks of kind 02h or 03h (generation 2 data and signatures)
};

struct TImage {
    TImageKind kind = TImageKind::Unknown;
    std::size_t start = 0; // first byte of the card image or of the overview's certificates
};

// True when a card block header of a known FID and kind 0 or 1 stands at offset.
bool StartsWithCardHeader(std::span<const std::uint8_t> bytes, std::size_t offset);

TImage DetectImage(std::span<const std::uint8_t> bytes);
