#pragma once
// Names of the archive files, built from the identification found in a card
// or VU image and a time stamp.
//
// Every text here is an 8-bit string (one byte, one character) and every
// character test compares byte values. The builders are pure: no file, no
// setting, no clock. They return a bare name; the storage pass joins it to the
// destination directory and makes it safe for the file system there.
//
// ArchiveFormat, the naming family (any other value acts as 0):
//   format  card archive                    VU archive
//   0       C_<stamp>_<f>_<surname>_<no>.DDD M_<stamp>_<reg>_<vin>.DDD
//   1       compact, .C1B                   compact, .V1B
//   2       C_<no>_<nat><stamp>.TGD         V_<reg>_<nat><stamp>.TGD
//   3       compact, 4-digit year, .ESM     compact, 4-digit year, .ESM

#include <cstdint>
#include <string>

// A time stamp as the names use it. Only year to minute go into a name;
// second is there for callers that stamp other files from the same clock.
struct TArchiveTime {
    int year = 1970;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59

    friend bool operator==(const TArchiveTime&, const TArchiveTime&) = default;
};

// Seconds since 1970-01-01 00:00:00 as a date and time, with no time-zone
// shift: the tachograph's clock is UTC and the names keep it so.
TArchiveTime ArchiveTimeFromTimeReal(std::uint32_t seconds);
// The computer's current local time; the stamp of images that carry no time.
TArchiveTime ArchiveTimeNowLocal();

// "YYYYMMDD_HHNN", "YYMMDDHHNN" and "YYYYMMDDHHNN".
std::string StampLong(const TArchiveTime& when);
std::string StampShort(const TArchiveTime& when);
std::string StampCompact(const TArchiveTime& when);

// The distinguishing sign of a NationNumeric byte: "" for 00h, "Inconnu" for
// 34h..FCh, "EC", "EUR", "WLD" for FDh..FFh.
std::string NationCode(std::uint8_t nation);
// NationCode padded with underscores or cut to exactly three characters.
std::string NationCode3(std::uint8_t nation);
// Keeps 0-9 and A-Z, turns every other byte into '_'; the length stays.
std::string MapNameChars(const std::string& text);
// Replaces '?', '*' and '/' by '_' and touches nothing else.
std::string CleanFileName(const std::string& text);

std::string CardArchiveName(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                            const std::string& firstNames, const TArchiveTime& when, int format);
std::string VehicleArchiveName(std::uint8_t nation, const std::string& registration, const std::string& vin,
                               const TArchiveTime& when, int format);
// The separate archive of detailed speed data; not cleaned, whatever the format.
std::string SpeedArchiveName(const std::string& registration, const std::string& vin, const TArchiveTime& when);
