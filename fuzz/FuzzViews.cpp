// The decoded views over a card image or VU download (a first byte of 76h
// makes it a download): activity spans and totals, the card and VU views and
// the verification part by part. Spans lie in their day, totals add up the
// spans, every text is UTF-8, every part lies in the file.

#include "FuzzCheck.h"

#include "uCard1BFile.h"
#include "uCardView.h"
#include "uCertificates.h"
#include "uTachy1BDownload.h"
#include "uVerifyView.h"
#include "uVuView.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

void CheckDay(std::uint32_t date, const std::vector<views::TActivitySpan>& spans, const views::TActivityTotals& totals)
{
    FUZZ_CHECK(date % 86400 == 0);
    views::TActivityTotals sum;
    for (const views::TActivitySpan& span : spans) {
        FUZZ_CHECK(span.start >= date && span.start <= span.end && span.end - date <= 86400);
        sum.Add(span);
    }
    FUZZ_CHECK(sum == totals);
}

void CheckVerification(const views::TVerification& v, std::size_t size)
{
    for (const auto& part : v.parts)
        FUZZ_CHECK(part.offset <= size && part.length <= size);
    (void)v.Overall();
}

void Card(std::span<const std::uint8_t> bytes)
{
    TMemoryStream stream = TMemoryStream::Borrow(bytes);
    T1BDriverCard card;
    try {
        card.LoadImage(stream);
    } catch (const ETachoError&) {
    }
    const views::TCardView view = views::ViewCard(card);
    FUZZ_CHECK(Utf8(view.identity.surname) && Utf8(view.identity.firstNames) && Utf8(view.identity.issuingAuthority));
    for (const auto& vehicle : view.vehicles)
        FUZZ_CHECK(Utf8(vehicle.registration.number) && vehicle.firstUse != 0);
    for (const auto& day : view.activities)
        CheckDay(day.date, day.spans, day.totals);
    TCertificateStore store;
    CheckVerification(views::VerifyCardImage(bytes, store), bytes.size());
}

void Vu(std::span<const std::uint8_t> bytes)
{
    TMemoryStream stream = TMemoryStream::Borrow(bytes);
    TVuDownload download;
    download.LoadFromStream(stream);
    const views::TVuView view = views::ViewVu(download);
    FUZZ_CHECK(Utf8(view.vin) && Utf8(view.registration.number) && Utf8(view.lastDownload.companyOrWorkshop));
    for (const auto& insertion : view.cardInsertions)
        FUZZ_CHECK(Utf8(insertion.surname) && Utf8(insertion.firstNames));
    for (const auto& lock : view.companyLocks)
        FUZZ_CHECK(Utf8(lock.companyName) && Utf8(lock.companyAddress));
    for (const auto& day : view.activities)
        for (const auto& slot : day.perSlot)
            CheckDay(day.date, slot.spans, slot.totals);
    FUZZ_CHECK(view.blocks.size() == download.Blocks().size());
    TCertificateStore store;
    const views::TVerification verification = views::VerifyVuDownload(bytes, store);
    CheckVerification(verification, bytes.size());
    FUZZ_CHECK(verification.parts.size() >= download.Blocks().size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    if (size > 0 && data[0] == 0x76)
        Vu(bytes);
    else
        Card(bytes);
    return 0;
}
