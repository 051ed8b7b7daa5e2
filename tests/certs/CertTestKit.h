#pragma once
// Test authorities made at run time: RSA key pairs, certificates in the
// 194-byte layout and PKCS#1 v1.5 SHA-1 signatures, signed with our own
// private keys. No private key is ever stored.

#include "uCertificates.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace certkit {

using Raw = std::array<std::uint8_t, kRawCertificateSize>;
using Block = std::array<std::uint8_t, kRsaBlockSize>;
using Ref = std::array<std::uint8_t, 8>;

struct TestKey {
    std::vector<std::uint8_t> n; // 128 bytes
    std::vector<std::uint8_t> e; // 8 bytes
    std::vector<std::uint8_t> d; // 128 bytes

    std::string ModulusText() const { return HexText(n); }
    std::string ExponentText() const { return HexText(e); }

    // block^d mod n: the private transform.
    Block Private(const Block& block) const
    {
        BIGNUM* s = BN_bin2bn(block.data(), static_cast<int>(block.size()), nullptr);
        BIGNUM* bn = BN_bin2bn(n.data(), static_cast<int>(n.size()), nullptr);
        BIGNUM* bd = BN_bin2bn(d.data(), static_cast<int>(d.size()), nullptr);
        BIGNUM* r = BN_new();
        BN_CTX* ctx = BN_CTX_new();
        Block out{};
        const bool ok = BN_mod_exp(r, s, bd, bn, ctx) == 1 && BN_bn2binpad(r, out.data(), static_cast<int>(out.size())) == 128;
        BN_CTX_free(ctx);
        BN_free(r);
        BN_clear_free(bd);
        BN_free(bn);
        BN_free(s);
        if (!ok)
            throw std::runtime_error("private RSA transform failed");
        return out;
    }
};

inline std::vector<std::uint8_t> Param(EVP_PKEY* pkey, const char* name, std::size_t size)
{
    BIGNUM* bn = nullptr;
    if (EVP_PKEY_get_bn_param(pkey, name, &bn) != 1)
        throw std::runtime_error("EVP_PKEY_get_bn_param failed");
    std::vector<std::uint8_t> bytes(size);
    const int ok = BN_bn2binpad(bn, bytes.data(), static_cast<int>(size));
    BN_clear_free(bn);
    if (ok != static_cast<int>(size))
        throw std::runtime_error("key parameter too long");
    return bytes;
}

// A fresh RSA-1024 key pair with the given public exponent.
inline TestKey GenerateKey(unsigned long exponent)
{
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    BIGNUM* e = BN_new();
    EVP_PKEY* pkey = nullptr;
    const bool ok = ctx && e && BN_set_word(e, exponent) == 1 && EVP_PKEY_keygen_init(ctx) == 1 &&
                    EVP_PKEY_CTX_set_rsa_keygen_bits(ctx, 1024) == 1 &&
                    EVP_PKEY_CTX_set1_rsa_keygen_pubexp(ctx, e) == 1 && EVP_PKEY_keygen(ctx, &pkey) == 1;
    BN_free(e);
    EVP_PKEY_CTX_free(ctx);
    if (!ok)
        throw std::runtime_error("RSA key generation failed");
    TestKey key{Param(pkey, OSSL_PKEY_PARAM_RSA_N, 128), Param(pkey, OSSL_PKEY_PARAM_RSA_E, 8),
                Param(pkey, OSSL_PKEY_PARAM_RSA_D, 128)};
    EVP_PKEY_free(pkey);
    return key;
}

// Keys are costly to make, so each named role gets one per test binary.
inline const TestKey& Key(const std::string& role, unsigned long exponent = 65537)
{
    static std::map<std::string, TestKey> keys;
    auto it = keys.find(role);
    if (it == keys.end())
        it = keys.emplace(role, GenerateKey(exponent)).first;
    return it->second;
}

inline Ref RefFromHex(const std::string& hex)
{
    Ref ref{};
    for (std::size_t i = 0; i < ref.size() && 2 * i + 1 < hex.size(); ++i)
        ref[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return ref;
}

enum class Flaw { None, Trailer, Digest, Header };

// A certificate for subject's public key under reference chr, signed by
// issuer and naming car as its authority.
inline Raw Issue(const TestKey& issuer, const Ref& car, const Ref& chr, const TestKey& subject, Flaw flaw = Flaw::None)
{
    std::array<std::uint8_t, 164> content{};
    content[0] = 0x01; // profile
    std::copy(car.begin(), car.end(), content.begin() + 1);
    const std::uint8_t authorisation[7] = {0xFF, 0x54, 0x41, 0x43, 0x48, 0x4F, 0x02};
    std::copy(std::begin(authorisation), std::end(authorisation), content.begin() + 9);
    const std::uint8_t validity[4] = {0x6F, 0x00, 0x00, 0x00};
    std::copy(std::begin(validity), std::end(validity), content.begin() + 16);
    std::copy(chr.begin(), chr.end(), content.begin() + 20);
    std::copy(subject.n.begin(), subject.n.end(), content.begin() + 28);
    std::copy(subject.e.begin(), subject.e.end(), content.begin() + 156);

    Block block{};
    block[0] = flaw == Flaw::Header ? 0x6B : 0x6A;
    std::copy_n(content.begin(), 106, block.begin() + 1);
    Sha1Digest(content, std::span<std::uint8_t, kSha1Size>(block.data() + 107, kSha1Size));
    if (flaw == Flaw::Digest)
        block[110] ^= 0x01;
    block[127] = flaw == Flaw::Trailer ? 0xBD : 0xBC;

    const Block signature = issuer.Private(block);
    Raw raw{};
    std::copy(signature.begin(), signature.end(), raw.begin());
    std::copy_n(content.begin() + 106, 58, raw.begin() + 128);
    std::copy(car.begin(), car.end(), raw.begin() + 186);
    return raw;
}

// PKCS#1 v1.5 SHA-1 signature of data; padAt names one padding byte to spoil.
inline Block Sign(const TestKey& key, std::span<const std::uint8_t> data, int padAt = -1)
{
    static const std::uint8_t kInfo[] = {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E,
                                         0x03, 0x02, 0x1A, 0x05, 0x00, 0x04, 0x14};
    Block block{};
    block[1] = 0x01;
    std::fill(block.begin() + 2, block.begin() + 92, std::uint8_t{0xFF});
    std::copy(std::begin(kInfo), std::end(kInfo), block.begin() + 93);
    Sha1Digest(data, std::span<std::uint8_t, kSha1Size>(block.data() + 108, kSha1Size));
    if (padAt >= 0)
        block[static_cast<std::size_t>(padAt)] ^= 0x01;
    return key.Private(block);
}

inline TTrustedKey Trusted(const std::string& reference, const TestKey& key)
{
    return {reference, key.ModulusText(), key.ExponentText()};
}

} // namespace certkit
