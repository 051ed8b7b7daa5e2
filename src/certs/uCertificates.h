#pragma once
// Tachograph certificates, the store of trusted root keys, and the RSA
// transforms that open certificates and check signatures.
//
// Raw certificate (194 bytes):
//   0..127    signature part, opened with the authority's public key
//   128..185  last 58 content bytes, in clear
//   186..193  certification authority reference (CAR)
// Content (164 bytes): profile 1 | CAR 8 | holder authorisation 7 |
//   end of validity 4 | holder reference (CHR) 8 | modulus 128 | exponent 8
// Opened signature part (128 bytes): 6A | content[0..105] | SHA-1(content) | BC
//
// Nothing here throws: the outcome of an opening is the opened/valid pair.
// Not thread-safe: one store is used from one thread at a time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kRawCertificateSize = 194;
inline constexpr std::size_t kRsaBlockSize = 128;
inline constexpr std::size_t kSha1Size = 20;

// Key references of the two trusted roots.
inline constexpr const char* kTestRootReference = "FD45432000544B01";
inline constexpr const char* kEuropeanRootReference = "FD45432000FFFF01";
// File beside the executable that supplies the test root key:
// reference 8 | modulus 128 | exponent 8.
inline constexpr const char* kTestRootKeyFile = "TK_PK.bin";

class TCertificateStore;

class TCertificate {
public:
    // Copies the raw certificate and opens it at once with the store's keys.
    TCertificate(std::span<const std::uint8_t, kRawCertificateSize> raw, TCertificateStore* store);
    // A trusted key: opened and valid by definition. An empty modulus text is
    // an empty key, which opens nothing.
    TCertificate(const std::string& modulusText, const std::string& exponentText,
                 const std::string& keyReferenceText, TCertificateStore* store);
    virtual ~TCertificate();

    TCertificate(const TCertificate&) = delete;
    TCertificate& operator=(const TCertificate&) = delete;

    TCertificateStore* Store() const { return store_; }
    const std::array<std::uint8_t, kRawCertificateSize>& Raw() const { return raw_; }
    const std::array<std::uint8_t, 8>& AuthorityReference() const { return authorityReference_; }
    const std::array<std::uint8_t, 8>& HolderReference() const { return holderReference_; }
    // Upper-case hex, two digits per byte, no separators.
    const std::string& AuthorityReferenceText() const { return authorityReferenceText_; }
    const std::string& ModulusText() const { return modulusText_; }
    const std::string& ExponentText() const { return exponentText_; }
    std::int32_t Profile() const { return profile_; }
    const std::string& AuthorisationText() const { return authorisationText_; }
    const std::string& HolderReferenceText() const { return holderReferenceText_; }
    const std::string& EndOfValidityText() const { return endOfValidityText_; }
    bool Opened() const { return opened_; }
    bool Valid() const { return valid_; }

private:
    friend void OpenCertificate(TCertificate& certificate);

    TCertificateStore* store_ = nullptr;
    std::array<std::uint8_t, kRawCertificateSize> raw_{};
    std::array<std::uint8_t, 8> authorityReference_{};
    std::array<std::uint8_t, 8> holderReference_{};
    std::string authorityReferenceText_;
    std::string modulusText_;
    std::string exponentText_;
    std::int32_t profile_ = 0;
    std::string authorisationText_;
    std::string holderReferenceText_;
    std::string endOfValidityText_;
    bool opened_ = false;
    bool valid_ = false;
};

struct TTrustedKey {
    std::string ReferenceText; // 16 hex digits
    std::string ModulusText;   // 256 hex digits, or empty for a key that opens nothing
    std::string ExponentText;  // 16 hex digits
};

class TCertificateStore {
public:
    // The two real roots: the test root (empty until SetTrustedKeyDirectory
    // finds its key file) and the European root.
    TCertificateStore();
    // Exactly these trusted keys, in this order.
    explicit TCertificateStore(const std::vector<TTrustedKey>& trustedKeys);
    ~TCertificateStore();

    TCertificateStore(const TCertificateStore&) = delete;
    TCertificateStore& operator=(const TCertificateStore&) = delete;

    // Reloads the test root key from TK_PK.bin in directory. Returns whether
    // the file supplied a key; when it is absent or malformed the test root is
    // an empty key. Certificates already opened keep their verdict.
    bool SetTrustedKeyDirectory(const std::filesystem::path& directory);

    const std::vector<std::unique_ptr<TCertificate>>& TrustedKeys() const { return trustedKeys_; }
    TCertificate* MemberStateCertificate() const { return memberState_; }
    TCertificate* VuCertificate() const { return vu_; }

private:
    friend TCertificate* SetMemberStateCertificate(TCertificateStore&, std::span<const std::uint8_t, kRawCertificateSize>);
    friend TCertificate* SetVuCertificate(TCertificateStore&, std::span<const std::uint8_t, kRawCertificateSize>);
    friend void ReleaseCertificate(TCertificateStore&, const TCertificate*);

    std::vector<std::unique_ptr<TCertificate>> trustedKeys_;
    TCertificate* memberState_ = nullptr; // owned; emptied by the certificate's destructor
    TCertificate* vu_ = nullptr;          // owned; emptied by the certificate's destructor
};

// The program's one store with the two real roots, created on first use.
TCertificateStore& GlobalCertificateStore();

// Opens a raw certificate once: finds its authority, recovers the content and
// checks header, trailer and digest. Called by the raw-bytes constructor.
void OpenCertificate(TCertificate& certificate);
// Trusted keys in order, then the member state certificate; exact, case-sensitive.
TCertificate* FindCertificate(const TCertificateStore& store, const std::string& referenceText);
// Opens the certificate with the store as it stands, frees the previous one
// of that slot, and keeps the new one there (the store owns it).
TCertificate* SetMemberStateCertificate(TCertificateStore& store, std::span<const std::uint8_t, kRawCertificateSize> raw);
TCertificate* SetVuCertificate(TCertificateStore& store, std::span<const std::uint8_t, kRawCertificateSize> raw);
// Empties the slot that holds certificate, if any; called by its destructor.
void ReleaseCertificate(TCertificateStore& store, const TCertificate* certificate);

// Replaces block by block^e mod n. A zero or unreadable modulus yields a zero
// block, so that an empty key can never accept anything.
void RsaPublicBlock(std::span<std::uint8_t, kRsaBlockSize> block, const std::string& modulusText,
                    const std::string& exponentText);

// SHA-1 of data; false only if the digest could not be computed.
bool Sha1Digest(std::span<const std::uint8_t> data, std::span<std::uint8_t, kSha1Size> digest);

// Checks an RSA PKCS#1 v1.5 signature with SHA-1 over data, made with the key
// that signer certifies. The whole recovered block must match:
// 00 01 FF..FF 00 | SHA-1 DigestInfo | digest. A signer that is not valid fails.
bool VerifySignature(std::span<const std::uint8_t> data, std::span<const std::uint8_t, kRsaBlockSize> signature,
                     const TCertificate& signer);

// Upper-case hex of bytes: two digits per byte, each followed by after
// (nothing by default). The one hex writer of the core.
std::string HexText(std::span<const std::uint8_t> bytes, std::string_view after = {});
