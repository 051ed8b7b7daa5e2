// A driver card image through both card walks, then everything the rest of
// the program reads from the result: the display tree, the identity, the
// signed bodies, and the records written back.

#include "FuzzTree.h"

#include "uCard1BFile.h"

#include <cstddef>
#include <cstdint>

namespace {

void Use(T1BDriverCard& card, std::size_t size)
{
    FUZZ_CHECK(card.RawImage().size() == size);
    std::size_t previous = 0;
    for (const TCardBlock& block : card.Blocks()) {
        FUZZ_CHECK(block.headerOffset >= previous && block.headerOffset + 5 <= size);
        previous = block.headerOffset + 5;
    }
    fuzz::WalkTree(card);

    (void)card.HasIdentification();
    (void)card.IssuingNation();
    (void)card.CardNumberText();
    (void)card.SurnameText();
    (void)card.FirstNamesText();
    (void)card.LastDownloadTime();
    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot) {
        TEFFile* file = card.Slot(slot);
        if (!file)
            continue;
        const auto body = card.DataBody(*file);
        if (!body.empty())
            FUZZ_CHECK(body.data() >= card.RawImage().data() &&
                       body.data() + body.size() <= card.RawImage().data() + card.RawImage().size());
        TMemoryStream saved;
        file->SaveData(saved, card);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const bool identificationOnly : {false, true}) {
        TMemoryStream stream(data, size);
        T1BDriverCard card;
        try {
            if (identificationOnly)
                card.LoadIdentification(stream);
            else
                card.LoadImage(stream);
        } catch (const ETachoError& e) {
            // A damaged image: what was read up to the fault must still be safe to show.
            FUZZ_CHECK(e.Offset() <= size);
        }
        Use(card, size);
    }
    return 0;
}
