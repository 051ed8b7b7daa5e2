#pragma once
// The verification of a download, part by part: the certificate chain, then
// the signature of every signed part (each block of a VU download, each
// signed elementary file of a driver card), with where each part lies and,
// when it could not be checked, why.
//
// A whole download is valid only when every certificate opened, every signed
// part was checked and holds, and nothing of the file was left unread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TCertificateStore;

namespace views {

enum class TVerdict : std::uint8_t { Valid, Invalid, NotCheckable };

// "valid", "invalid", "not checkable".
const char* VerdictName(TVerdict verdict);

struct TCertificateCheck {
    enum class TState : std::uint8_t {
        Valid,     // opened, its chain ends at a trusted root
        Invalid,   // its authority is known, but it does not open with that key
        NotOpened, // its authority is not known
        Missing,   // the data holds no such certificate
        Malformed, // the data holds it with another length
    };
    std::string subject; // "member state certificate", "VU certificate", "card certificate"
    TState state = TState::Missing;
    std::string authorityReference; // CAR, 16 hex digits
    std::string holderReference;    // CHR, when valid
    std::string signedBy;           // the member state key between it and the root; empty when the root signed it
    std::string root;               // the trusted root its chain ends at
    std::size_t announced = 0;      // Malformed: the length the data gives it
    std::size_t present = 0;        // Malformed: the bytes there

    TVerdict Verdict() const;
};

struct TSignedPartCheck {
    enum class TReason : std::uint8_t {
        None,
        NoValidCertificate, // the key that signed it did not open
        SignatureMissing,   // a card file without its signature block
        NoDataBlock,        // a card file met only through its signature block
        CutShort,           // the signed bytes or the signature run past the end
        Unreadable,         // the part could not be read: detail says why
        Generation2,        // a smart tachograph block, not read
    };
    std::string kind;                 // "76 02", or the elementary file's name "EF_Identification"
    std::string name;                 // "activities", ...; for a card file its FID "0520h"
    std::optional<std::uint32_t> day; // an activities block: its date
    int index = 0;                    // 1 for the first part of its kind, 2 for the second, ...
    std::size_t offset = 0;           // the block's 76h byte or the file's data block header, in the file
    std::size_t length = 0;           // bytes the signature covers, as far as the file holds them
    TVerdict verdict = TVerdict::NotCheckable;
    TReason reason = TReason::None;
    std::string detail;
};

// Something of the file that belongs to no signed part.
struct TVerificationProblem {
    enum class TKind : std::uint8_t {
        ForeignLayout, // not the EU card layout: detail lists what is foreign
        Unreadable,    // the walk failed: detail says where and why
        NoSignedPart,  // nothing signed was found
    };
    std::string subject; // "card image", "VU download"
    TKind kind = TKind::Unreadable;
    std::string detail;
};

struct TVerification {
    bool cardImage = false; // a driver card's elementary files, else a VU download's blocks
    std::vector<TCertificateCheck> certificates;
    std::vector<TSignedPartCheck> parts;
    std::vector<TVerificationProblem> problems;

    int Count(TVerdict verdict) const;
    // Valid only when everything was checked and holds; Invalid when anything
    // failed its check; otherwise NotCheckable.
    TVerdict Overall() const;
};

// A VU download from its overview's 76h byte; offsets count from that byte
// plus offsetInFile.
TVerification VerifyVuDownload(std::span<const std::uint8_t> download, TCertificateStore& store,
                               std::size_t offsetInFile = 0);
// A driver card image; offsets count from its first byte plus offsetInFile
// (2 for a card read through a VU, behind 76h 06h).
TVerification VerifyCardImage(std::span<const std::uint8_t> image, TCertificateStore& store,
                              std::size_t offsetInFile = 0);

} // namespace views
