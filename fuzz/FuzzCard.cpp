// A driver card image through both card walks, then everything the rest of
// the program reads from the result: the display tree, the identity, the
// signed bodies, and the records written back.

#include "FuzzTree.h"

#include "uCard1BFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// A file met once, whose records took exactly the body its header announced
// with more data behind it, is written back byte for byte, given one
// application identification (it sizes the lists) met before it.
void CheckSavedAsRead(T1BDriverCard& card)
{
    int met[T1BDriverCard::kSlotCount] = {};
    const TCardBlock* last[T1BDriverCard::kSlotCount] = {};
    for (const TCardBlock& block : card.Blocks()) {
        if (block.slot >= 0 && block.kind == 0) {
            ++met[block.slot];
            last[block.slot] = &block;
        }
    }
    const TCardBlock* application = last[T1BDriverCard::kApplicationIdentification];
    if (met[T1BDriverCard::kApplicationIdentification] > 1)
        return;
    for (int slot = 0; slot < T1BDriverCard::kSlotCount; ++slot) {
        TEFFile* file = card.Slot(slot);
        if (met[slot] != 1 || !file || last[slot]->consumed != last[slot]->length)
            continue;
        // Data after the body: records that ran out of bytes would have read on.
        if (last[slot]->headerOffset + 5 + last[slot]->length >= card.RawImage().size())
            continue;
        // Read before the counts were known, saved after.
        if (application && last[slot]->headerOffset < application->headerOffset)
            continue;
        const auto body = card.DataBody(*file);
        FUZZ_CHECK(body.size() == last[slot]->length);
        // An empty file reads as its defaults, which are saved whole.
        if (body.empty())
            continue;
        TMemoryStream saved;
        file->SaveData(saved, card);
        FUZZ_CHECK(saved.Size() == body.size() && std::equal(body.begin(), body.end(), saved.Bytes().begin()));
    }
}

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
        bool whole = true;
        try {
            if (identificationOnly)
                card.LoadIdentification(stream);
            else
                card.LoadImage(stream);
        } catch (const ETachoError& e) {
            // A damaged image: what was read up to the fault must still be safe to show.
            FUZZ_CHECK(e.Offset() <= size);
            whole = false;
        }
        if (whole && !identificationOnly)
            CheckSavedAsRead(card);
        Use(card, size);
    }
    return 0;
}
