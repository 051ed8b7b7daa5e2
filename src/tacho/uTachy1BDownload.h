#pragma once
// A whole VU download: the overview (76h 01h) and the other transfer
// responses (76h 02h activities of one day, 03h events and faults, 04h
// detailed speed, 05h technical data) in any number and order, each 76h,
// TREP, its data and a 128-byte signature. No block states its length: where
// one ends follows from its counts, so a block that cannot be read ends the
// walk. The download passes do not use this reader; they read the overview
// alone (uTachy1BStruct).

#include "uTachy1BActivities.h"
#include "uTachy1BEvents.h"
#include "uTachy1BSpeed.h"
#include "uTachy1BStruct.h"
#include "uTachy1BTechnical.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One transfer response as the download holds it. Offsets count from the
// start of the download.
struct TVuBlockEntry {
    std::uint8_t trep = 0;
    std::size_t offset = 0;       // its 76h byte
    std::size_t size = 0;         // 76h, TREP, data and signature
    std::size_t signedOffset = 0; // the first byte its signature covers
    std::size_t signedSize = 0;   // how many bytes it covers
    const TVuPRT* block = nullptr;

    std::size_t SignatureOffset() const { return offset + size - kVuSignatureSize; }
};

// Where the walk stopped short of the end of the download.
struct TVuReadStop {
    std::size_t blockOffset = 0; // the block that could not be read
    std::uint8_t trep = 0;       // its TREP as found (0 when there is none)
    std::size_t offset = 0;      // where reading went wrong
    std::string reason;          // what was being read, and why it failed
};

// "the download cannot be read from offset 721 on (76 02 activities): REASON at offset 730"
std::string DescribeStop(const TVuReadStop& stop);

// Transfer responses of a smart tachograph (generation 2): 76h 21h..25h and 31h..35h.
bool IsGeneration2Trep(std::uint8_t trep);
// "overview", "activities", "events and faults", "detailed speed", "technical data"; "" for others.
const char* VuBlockName(std::uint8_t trep);

class TVuDownload : public TvtInfoProvide {
public:
    // With a context, the overview opens the certificates into it and every
    // block checks its signature with its VU certificate when it asks for it.
    explicit TVuDownload(VerificationContext* context = nullptr);
    ~TVuDownload() override;

    // Reads from the stream position (a 76h byte) to the end of the stream.
    // Never throws for bad data: a block that cannot be read is Stop(), and
    // the blocks before it stay.
    void LoadFromStream(TMemoryStream& stream);

    int ItemCount() const override { return static_cast<int>(entries_.size()); }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    const std::vector<TVuBlockEntry>& Blocks() const { return entries_; }
    const std::optional<TVuReadStop>& Stop() const { return stop_; }
    // The bytes walked: the download start to the end of the stream.
    std::size_t Size() const { return size_; }

    // The first overview, if any.
    const TF7601* Overview() const;
    // The blocks of one kind in download order.
    template <class Block> std::vector<const Block*> BlocksOf() const
    {
        std::vector<const Block*> out;
        for (const auto& entry : entries_)
            if (const auto* block = dynamic_cast<const Block*>(entry.block))
                out.push_back(block);
        return out;
    }

private:
    VerificationContext* context_; // not owned
    std::vector<std::unique_ptr<TVuPRT>> blocks_;
    std::vector<TVuBlockEntry> entries_;
    std::optional<TVuReadStop> stop_;
    std::size_t size_ = 0;
};
