#pragma once
// A driver card image split into its blocks without reading them.
//
//   offset  size  content
//   0       2     FID of the elementary file, big-endian
//   2       1     kind: 0 the file's data, 1 its signature
//   3       2     body length, big-endian
//   5       n     body
//
// The split steps from header to header by the announced lengths, whatever
// the FID; the card walk (uCard1BFile) keeps its own order, since it reads
// the next header from the body of a block whose FID it does not know.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct TCardBlockHeader {
    static constexpr std::size_t kSize = 5;

    std::uint16_t fid = 0;
    std::uint8_t kind = 0;
    std::uint16_t length = 0;       // as announced
    std::size_t headerOffset = 0;   // from the image start
    std::span<const std::uint8_t> body;  // what of the body is there

    std::size_t BodyOffset() const { return headerOffset + kSize; }
    bool Complete() const { return body.size() == length; }
};

// The header at offset, if five bytes are there.
bool ReadCardBlockHeader(std::span<const std::uint8_t> image, std::size_t offset, TCardBlockHeader& header);

// Every block from the image start on; the last body may be cut short.
// Views into image, which must outlive them.
std::vector<TCardBlockHeader> SplitCardBlocks(std::span<const std::uint8_t> image);
