#pragma once
// What the register learns from one file: what it is, told by its content
// alone, and for a driver card or VU download its identity, its download
// time and its signature verdict. Files are hostile input: this never
// throws for bad data and reads no more than kMaxRegisterFileSize.

#include "uCertificates.h"
#include "uVerifyView.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>



namespace reg {

// A driver card image is under 30 KiB; a VU download with a year of
// activities, the detailed speed and the technical data stays in the low
// MiB. A larger file is no download, and reading it whole (10,000 times, on
// a worker thread) would only cost memory and time.
inline constexpr std::uintmax_t kMaxRegisterFileSize = 16u * 1024 * 1024;

enum class TFileKind : std::uint8_t { DriverCard, VehicleUnit, NotTachograph, Generation2, Unreadable };

struct TFileFacts {
    TFileKind kind = TFileKind::NotTachograph;
    std::string cardNumber, holder, nation, cardExpiry; // driver card
    std::string registration, vin;                      // VU (nation too)
    std::uint8_t nationCode = 0;
    std::uint32_t lastDownload = 0;                     // 0: none recorded
    views::TVerdict verdict = views::TVerdict::NotCheckable;
    std::string reason;     // Unreadable: why; Generation2: which kind of data
    bool lasting = true;    // false when the file could not be opened or read: ask again next time
};

// The file's bytes, read and judged.
TFileFacts ReadRegisterBytes(std::span<const std::uint8_t> bytes, const std::vector<TTrustedKey>& trustedKeys);
// The file at path, at most kMaxRegisterFileSize of it.
TFileFacts ReadRegisterFile(const std::filesystem::path& path, const std::vector<TTrustedKey>& trustedKeys);

// The real roots, with the test root from TK_PK.bin in directory when it is there.
std::vector<TTrustedKey> RegisterTrustedKeys(const std::filesystem::path& directory);

} // namespace reg
