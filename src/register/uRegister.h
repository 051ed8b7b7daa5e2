#pragma once
// The register of driver cards and vehicle units: every archive in the given
// folders, told by its content, one row per card or VU with its latest
// download and when the next one is due by law (28 days for a card, 90 for a
// VU). What is learnt of each file is remembered in a small SQLite cache, so
// that a second run reads only what changed.
//
// Only the regular files of each folder are read, not its subfolders (the
// archive writer keeps every archive in the destination itself) nor its dot
// files (the writer's temporaries). Qt GUI-free and safe on a worker thread:
// every call opens its own cache connection and certificate stores.

#include "uVerifyView.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace reg {

enum class TEntityKind : std::uint8_t { DriverCard, VehicleUnit };
enum class TDueState : std::uint8_t { Ok, DueSoon /* within 7 days */, Overdue };

inline constexpr std::uint32_t kSecondsPerDay = 86400;
inline constexpr int kCardDownloadDays = 28;
inline constexpr int kVuDownloadDays = 90;
inline constexpr int kDueSoonDays = 7;

struct TRegisterRow {
    TEntityKind kind = TEntityKind::DriverCard;
    // nation: the distinguishing sign ("D"), or the code in hex ("3Fh") when it names no country.
    std::string cardNumber, holder, nation, cardExpiry; // driver card (expiry ISO 8601 date, empty when none)
    std::string registration, vin;                      // VU (nation too)
    std::uint8_t nationCode = 0;    // NationNumeric of the card's issuer / the registration
    std::uint32_t lastDownload = 0; // seconds since 1970 UTC: card's last download / latest overview's current date-time; 0 none
    std::uint32_t nextDue = 0;      // lastDownload + 28 days (card) / + 90 days (VU); 0 when there is no last download
    int daysLeft = 0;               // calendar days from the UTC date of options.today to that of nextDue (negative: overdue); 0 without a download
    // A row without a last download (a card without EF_Card_Download) is Overdue: nothing shows the duty met.
    TDueState due = TDueState::Ok;
    views::TVerdict verdict = views::TVerdict::NotCheckable; // signature verdict of the latest archive
    int archives = 0;               // how many archives hold this card / VU
    std::filesystem::path latest;   // the archive of the latest download, absolute (the viewer opens it)
};

enum class TOtherKind : std::uint8_t { NotTachograph, Generation2, Unreadable };

struct TRegisterOther {
    std::filesystem::path path; // absolute
    TOtherKind kind = TOtherKind::NotTachograph;
    std::string reason; // English detail of the reader, for Unreadable (and what kind of gen-2 data)
};

// A folder that could not be listed; its files keep their place in the cache.
struct TRegisterFolderError {
    std::filesystem::path folder; // as given
    std::string reason;
};

struct TRegister {
    std::vector<TRegisterRow> rows;      // the most urgent first: no download recorded, then by days left
    std::vector<TRegisterOther> others;  // ordered by path
    std::vector<TRegisterFolderError> unreadableFolders;
    std::size_t filesRead = 0;           // files read this run (the rest came from the cache)
    std::size_t filesCached = 0;
    bool cancelled = false;              // stopped early: rows and others hold the files met before
};

struct TRegisterOptions {
    std::filesystem::path cacheFile; // empty: no cache
    std::uint32_t today = 0;         // seconds since 1970 UTC
    std::function<void(std::size_t done, std::size_t total)> progress; // may be empty; called from the calling thread
    const std::atomic<bool>* cancel = nullptr;                          // stop early when set
    // Where TK_PK.bin (the test root key) is looked for; empty: the European root only.
    std::filesystem::path trustedKeys;
};

TRegister BuildRegister(const std::vector<std::filesystem::path>& folders, const TRegisterOptions& options);

// The per-user data folder + "/register.db", beside the spool.
std::filesystem::path DefaultRegisterCache();

// ---- the parts, for the tests, the CLI and the window ----------------------------

// Calendar days from the UTC date of today to the UTC date of due.
int DaysBetween(std::uint32_t today, std::uint32_t due);
// nextDue, daysLeft and due of a row from its kind, its lastDownload and today.
void SetDue(TRegisterRow& row, std::uint32_t today);

} // namespace reg
