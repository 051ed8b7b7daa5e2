// A VU download through the reader of its transfer responses: every block it
// splits off lies where the one before it ended, is written back byte for
// byte, and the walk either reaches the end or says where it stopped. Then
// the same bytes straight into each block reader, and the display tree.

#include "FuzzTree.h"

#include "uTachy1BDownload.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

template <class Block> void LoadAlone(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream(data, size);
    Block block;
    try {
        block.LoadFromStream(stream);
    } catch (const ETachoError& e) {
        FUZZ_CHECK(e.Offset() <= size);
        return;
    }
    FUZZ_CHECK(stream.Position() <= size && block.RawData().size() + kVuSignatureSize == stream.Position());
    TMemoryStream saved;
    block.SaveToStream(saved);
    FUZZ_CHECK(saved.Size() == stream.Position() && std::equal(saved.Bytes().begin(), saved.Bytes().end(), data));
    fuzz::WalkTree(block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream(data, size);
    TVuDownload download;
    download.LoadFromStream(stream);

    std::size_t end = 0;
    for (const TVuBlockEntry& entry : download.Blocks()) {
        FUZZ_CHECK(entry.offset == end);
        FUZZ_CHECK(entry.size >= 2 + kVuSignatureSize && entry.offset + entry.size <= size);
        FUZZ_CHECK(entry.signedOffset >= entry.offset + 2 && entry.signedOffset + entry.signedSize == entry.SignatureOffset());
        FUZZ_CHECK(data[entry.offset] == 0x76 && data[entry.offset + 1] == entry.trep);
        if (const auto* block = dynamic_cast<const TVuTransferBlock*>(entry.block)) {
            TMemoryStream saved;
            block->SaveToStream(saved);
            FUZZ_CHECK(saved.Size() == entry.size - 2 &&
                       std::equal(saved.Bytes().begin(), saved.Bytes().end(), data + entry.offset + 2));
        }
        end = entry.offset + entry.size;
    }
    if (const auto& stop = download.Stop()) {
        FUZZ_CHECK(stop->blockOffset == end && stop->offset <= size && !stop->reason.empty());
        (void)DescribeStop(*stop);
    } else {
        FUZZ_CHECK(end == size);
    }
    fuzz::WalkTree(download);

    LoadAlone<TF7602>(data, size);
    LoadAlone<TF7603>(data, size);
    LoadAlone<TF7604>(data, size);
    LoadAlone<TF7605>(data, size);
    return 0;
}
