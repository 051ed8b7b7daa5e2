// One file as the register reads it: told by its content, then a driver card
// or VU download read for its identity, download time and verdict. Whatever
// the bytes, the facts are whole (a row has its identity, a file left out
// says why), their texts UTF-8, and the same bytes give the same facts: the
// cache keeps them in place of the file.

#include "FuzzCheck.h"

#include "uImageKind.h"
#include "uRegisterFile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

bool Same(const reg::TFileFacts& a, const reg::TFileFacts& b)
{
    return a.kind == b.kind && a.cardNumber == b.cardNumber && a.holder == b.holder && a.nation == b.nation &&
           a.cardExpiry == b.cardExpiry && a.registration == b.registration && a.vin == b.vin &&
           a.nationCode == b.nationCode && a.lastDownload == b.lastDownload && a.verdict == b.verdict &&
           a.reason == b.reason && a.lasting == b.lasting;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<TTrustedKey> keys = reg::RegisterTrustedKeys({});
    const std::span<const std::uint8_t> bytes(data, size);
    const reg::TFileFacts facts = reg::ReadRegisterBytes(bytes, keys);

    for (const std::string* text : {&facts.cardNumber, &facts.holder, &facts.nation, &facts.cardExpiry,
                                    &facts.registration, &facts.vin, &facts.reason})
        FUZZ_CHECK(Utf8(*text));
    FUZZ_CHECK(facts.lasting); // bytes in memory never fail to be read
    switch (facts.kind) {
    case reg::TFileKind::DriverCard:
        FUZZ_CHECK(!facts.cardNumber.empty() && !facts.nation.empty());
        FUZZ_CHECK(facts.cardExpiry.empty() || facts.cardExpiry.size() == 10);
        FUZZ_CHECK(DetectImage(bytes).kind == TImageKind::DriverCard);
        break;
    case reg::TFileKind::VehicleUnit:
        FUZZ_CHECK(!facts.nation.empty());
        FUZZ_CHECK(DetectImage(bytes).kind == TImageKind::VuOverview);
        break;
    case reg::TFileKind::Generation2:
    case reg::TFileKind::Unreadable: FUZZ_CHECK(!facts.reason.empty()); break;
    case reg::TFileKind::NotTachograph: FUZZ_CHECK(DetectImage(bytes).kind == TImageKind::Unknown); break;
    }
    FUZZ_CHECK(Same(facts, reg::ReadRegisterBytes(bytes, keys)));
    return 0;
}
