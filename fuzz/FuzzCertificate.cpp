// Certificates opened against the program's own store with the real roots.
//
// Input: the first 194 bytes are one certificate (zero-padded when short).
// From 388 bytes on, the two halves become the store's member state and VU
// certificates, in that order, and a further 128 bytes are a signature over
// the rest, checked with the VU certificate.

#include "FuzzCheck.h"

#include "uCertificates.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

using TRaw = std::array<std::uint8_t, kRawCertificateSize>;

TRaw RawAt(const std::uint8_t* data, std::size_t size, std::size_t offset)
{
    TRaw raw{};
    if (offset < size)
        std::copy_n(data + offset, std::min(raw.size(), size - offset), raw.begin());
    return raw;
}

void CheckOpened(const TCertificate& c)
{
    FUZZ_CHECK(c.AuthorityReferenceText().size() == 16);
    if (!c.Valid())
        return;
    FUZZ_CHECK(c.Opened());
    FUZZ_CHECK(c.ModulusText().size() == 2 * kRsaBlockSize);
    FUZZ_CHECK(c.ExponentText().size() == 16);
    FUZZ_CHECK(c.HolderReferenceText().size() == 16);
    FUZZ_CHECK(c.HolderReferenceText() == HexText(c.HolderReference()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TCertificateStore& store = GlobalCertificateStore();
    const std::size_t pair = 2 * kRawCertificateSize;

    // Every run starts from the store as this input leaves it: an earlier
    // input's member state certificate must not open this one's.
    const TRaw first = RawAt(data, size, 0);
    const TRaw second = size >= pair ? RawAt(data, size, kRawCertificateSize) : TRaw{};
    TCertificate* memberState = SetMemberStateCertificate(store, size >= pair ? first : TRaw{});
    TCertificate* vu = SetVuCertificate(store, second);
    FUZZ_CHECK(store.MemberStateCertificate() == memberState && store.VuCertificate() == vu);
    CheckOpened(*memberState);
    CheckOpened(*vu);

    if (size >= pair + kRsaBlockSize) {
        std::array<std::uint8_t, kRsaBlockSize> signature{};
        std::copy_n(data + pair, kRsaBlockSize, signature.begin());
        const std::span<const std::uint8_t> signedBytes(data + pair + kRsaBlockSize, size - pair - kRsaBlockSize);
        const bool valid = VerifySignature(signedBytes, signature, *vu);
        FUZZ_CHECK(!valid || vu->Valid());
    }

    TCertificate single(first, &store);
    CheckOpened(single);
    FUZZ_CHECK(store.MemberStateCertificate() == memberState && store.VuCertificate() == vu);
    return 0;
}
