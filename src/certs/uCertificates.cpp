#include "uCertificates.h"

#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

// Public key of the European root (generation 1).
const char* const kEuropeanRootModulus =
    "E980763A444A95250A958782D1D54ACFC323D25F3946B816E92FCF9D32B42A26"
    "13D1A363B4E43532A026686329C89663CCC001F7278206B6AB65AD2871848A68"
    "0F6A57D8FDA1D782C9B5812903EA5B66E2A9BE1D85BDD0FDAE76A46088D71A61"
    "76B1F6A98419100424DC56D0846AA3C84390D3517A0F1192DEDFF740924CDBA7";
const char* const kEuropeanRootExponent = "0000000000010001";

constexpr std::size_t kTestRootKeyFileSize = 8 + 128 + 8;

struct BnDeleter {
    void operator()(BIGNUM* bn) const { BN_free(bn); }
};
struct BnCtxDeleter {
    void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};
using BnPtr = std::unique_ptr<BIGNUM, BnDeleter>;

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Bytes of a hex text; none when the text is not whole pairs of hex digits.
std::optional<std::vector<std::uint8_t>> HexBytes(const std::string& text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

BnPtr BigNumber(const std::vector<std::uint8_t>& bytes)
{
    return BnPtr(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

bool ModExp(std::span<std::uint8_t, kRsaBlockSize> block, const std::string& modulusText, const std::string& exponentText)
{
    const auto modulus = HexBytes(modulusText);
    const auto exponent = HexBytes(exponentText);
    if (!modulus || !exponent || modulus->empty())
        return false;
    BnPtr n = BigNumber(*modulus);
    BnPtr e = BigNumber(*exponent);
    BnPtr s(BN_bin2bn(block.data(), static_cast<int>(block.size()), nullptr));
    BnPtr r(BN_new());
    std::unique_ptr<BN_CTX, BnCtxDeleter> ctx(BN_CTX_new());
    if (!n || !e || !s || !r || !ctx || BN_is_zero(n.get()))
        return false;
    if (BN_mod_exp(r.get(), s.get(), e.get(), n.get(), ctx.get()) != 1)
        return false;
    return BN_bn2binpad(r.get(), block.data(), static_cast<int>(block.size())) == static_cast<int>(block.size());
}

std::vector<TTrustedKey> RealTrustedKeys()
{
    return {
        {kTestRootReference, "", ""},
        {kEuropeanRootReference, kEuropeanRootModulus, kEuropeanRootExponent},
    };
}

// The test root key from its file, or none when the file is absent or is not
// exactly one key under the test root's reference.
std::optional<TTrustedKey> ReadTestRootKey(const std::filesystem::path& directory)
{
    std::ifstream in(directory / kTestRootKeyFile, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    char c;
    while (bytes.size() <= kTestRootKeyFileSize && in.get(c))
        bytes.push_back(static_cast<std::uint8_t>(c));
    if (bytes.size() != kTestRootKeyFileSize)
        return std::nullopt;
    const std::span<const std::uint8_t> all(bytes);
    if (HexText(all.first(8)) != kTestRootReference)
        return std::nullopt;
    return TTrustedKey{kTestRootReference, HexText(all.subspan(8, 128)), HexText(all.subspan(136, 8))};
}

} // namespace

std::string HexText(std::span<const std::uint8_t> bytes, std::string_view after)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * (2 + after.size()));
    for (std::uint8_t byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
        text += after;
    }
    return text;
}

void RsaPublicBlock(std::span<std::uint8_t, kRsaBlockSize> block, const std::string& modulusText,
                    const std::string& exponentText)
{
    if (!ModExp(block, modulusText, exponentText))
        std::fill(block.begin(), block.end(), std::uint8_t{0});
}

bool Sha1Digest(std::span<const std::uint8_t> data, std::span<std::uint8_t, kSha1Size> digest)
{
    unsigned int length = 0;
    return EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha1(), nullptr) == 1 &&
           length == kSha1Size;
}

bool VerifySignature(std::span<const std::uint8_t> data, std::span<const std::uint8_t, kRsaBlockSize> signature,
                     const TCertificate& signer)
{
    static const std::uint8_t kSha1DigestInfo[] = {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E,
                                                   0x03, 0x02, 0x1A, 0x05, 0x00, 0x04, 0x14};
    if (!signer.Valid())
        return false;
    std::array<std::uint8_t, kRsaBlockSize> expected{};
    const std::size_t digestAt = kRsaBlockSize - kSha1Size;
    const std::size_t infoAt = digestAt - sizeof kSha1DigestInfo;
    expected[0] = 0x00;
    expected[1] = 0x01;
    std::fill(expected.begin() + 2, expected.begin() + static_cast<std::ptrdiff_t>(infoAt - 1), std::uint8_t{0xFF});
    expected[infoAt - 1] = 0x00;
    std::copy(std::begin(kSha1DigestInfo), std::end(kSha1DigestInfo), expected.begin() + static_cast<std::ptrdiff_t>(infoAt));
    if (!Sha1Digest(data, std::span<std::uint8_t, kSha1Size>(expected.data() + digestAt, kSha1Size)))
        return false;

    std::array<std::uint8_t, kRsaBlockSize> block;
    std::copy(signature.begin(), signature.end(), block.begin());
    RsaPublicBlock(block, signer.ModulusText(), signer.ExponentText());
    return CRYPTO_memcmp(block.data(), expected.data(), block.size()) == 0;
}

// --- TCertificate ---

TCertificate::TCertificate(std::span<const std::uint8_t, kRawCertificateSize> raw, TCertificateStore* store)
    : store_(store)
{
    std::copy(raw.begin(), raw.end(), raw_.begin());
    OpenCertificate(*this);
}

TCertificate::TCertificate(const std::string& modulusText, const std::string& exponentText,
                           const std::string& keyReferenceText, TCertificateStore* store)
    : store_(store), authorityReferenceText_(keyReferenceText), modulusText_(modulusText),
      exponentText_(exponentText), holderReferenceText_(keyReferenceText), opened_(true), valid_(true)
{
    if (const auto bytes = HexBytes(keyReferenceText); bytes) {
        const std::size_t n = std::min(bytes->size(), authorityReference_.size());
        std::copy_n(bytes->begin(), n, authorityReference_.begin());
        std::copy_n(bytes->begin(), n, holderReference_.begin());
    }
}

TCertificate::~TCertificate()
{
    if (store_)
        ReleaseCertificate(*store_, this);
}

void OpenCertificate(TCertificate& c)
{
    if (c.opened_)
        return;
    std::copy_n(c.raw_.begin() + 186, 8, c.authorityReference_.begin());
    c.authorityReferenceText_ = HexText(c.authorityReference_);

    const TCertificate* authority = c.store_ ? FindCertificate(*c.store_, c.authorityReferenceText_) : nullptr;
    if (!authority)
        return;

    std::array<std::uint8_t, kRsaBlockSize> block;
    std::copy_n(c.raw_.begin(), kRsaBlockSize, block.begin());
    RsaPublicBlock(block, authority->ModulusText(), authority->ExponentText());
    c.opened_ = true;
    if (block[0] != 0x6A || block[127] != 0xBC)
        return;

    std::array<std::uint8_t, 164> content;
    std::copy_n(block.begin() + 1, 106, content.begin());
    std::copy_n(c.raw_.begin() + 128, 58, content.begin() + 106);
    std::array<std::uint8_t, kSha1Size> digest;
    if (!Sha1Digest(content, digest) || !std::equal(digest.begin(), digest.end(), block.begin() + 107))
        return;

    const std::span<const std::uint8_t> b(block);
    const std::span<const std::uint8_t> r(c.raw_);
    c.profile_ = block[1];
    c.authorisationText_ = HexText(b.subspan(10, 7));
    c.endOfValidityText_ = HexText(b.subspan(17, 4));
    std::copy_n(block.begin() + 21, 8, c.holderReference_.begin());
    c.holderReferenceText_ = HexText(c.holderReference_);
    c.modulusText_ = HexText(b.subspan(29, 78)) + HexText(r.subspan(128, 50));
    c.exponentText_ = HexText(r.subspan(178, 8));
    c.valid_ = true;
}

// --- TCertificateStore ---

TCertificateStore::TCertificateStore() : TCertificateStore(RealTrustedKeys()) {}

TCertificateStore::TCertificateStore(const std::vector<TTrustedKey>& trustedKeys)
{
    for (const TTrustedKey& key : trustedKeys)
        trustedKeys_.push_back(std::make_unique<TCertificate>(key.ModulusText, key.ExponentText, key.ReferenceText, this));
}

TCertificateStore::~TCertificateStore()
{
    trustedKeys_.clear();
    delete memberState_; // its destructor empties the slot
    delete vu_;
}

bool TCertificateStore::SetTrustedKeyDirectory(const std::filesystem::path& directory)
{
    const std::optional<TTrustedKey> key = ReadTestRootKey(directory);
    const TTrustedKey slot = key.value_or(TTrustedKey{kTestRootReference, "", ""});
    for (auto& trusted : trustedKeys_) {
        if (trusted->HolderReferenceText() == kTestRootReference)
            trusted = std::make_unique<TCertificate>(slot.ModulusText, slot.ExponentText, slot.ReferenceText, this);
    }
    return key.has_value();
}

TCertificateStore& GlobalCertificateStore()
{
    static TCertificateStore store;
    return store;
}

TCertificate* FindCertificate(const TCertificateStore& store, const std::string& referenceText)
{
    // A certificate that did not open has an empty reference: never a match.
    if (referenceText.empty())
        return nullptr;
    for (const auto& key : store.TrustedKeys()) {
        if (key->HolderReferenceText() == referenceText)
            return key.get();
    }
    TCertificate* memberState = store.MemberStateCertificate();
    if (memberState && memberState->HolderReferenceText() == referenceText)
        return memberState;
    return nullptr;
}

TCertificate* SetMemberStateCertificate(TCertificateStore& store, std::span<const std::uint8_t, kRawCertificateSize> raw)
{
    auto* created = new TCertificate(raw, &store);
    delete store.memberState_;
    store.memberState_ = created;
    return created;
}

TCertificate* SetVuCertificate(TCertificateStore& store, std::span<const std::uint8_t, kRawCertificateSize> raw)
{
    auto* created = new TCertificate(raw, &store);
    delete store.vu_;
    store.vu_ = created;
    return created;
}

void ReleaseCertificate(TCertificateStore& store, const TCertificate* certificate)
{
    if (certificate == store.memberState_)
        store.memberState_ = nullptr;
    else if (certificate == store.vu_)
        store.vu_ = nullptr;
}
