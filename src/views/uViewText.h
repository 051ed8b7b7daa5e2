#pragma once
// Texts, times and numbers of the tachograph data as a person reads them.
//
// Texts come out as UTF-8. Names, addresses and registration numbers carry
// their code page in their first byte: 1 ISO 8859-1, 2, 3, 5, 7, 9, 13, 15
// and 16 the ISO 8859 part of that number, 80 KOI8-R, 85 KOI8-U. Any other
// code page (0 and FFh are common for "none") is read as ISO 8859-1. Other
// texts (card numbers, VIN, part and approval numbers) are plain 8-bit
// characters, read as ISO 8859-1. Every text is trimmed of blanks and
// control characters at both ends.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace views {

// The bytes in the given code page, as UTF-8, trimmed.
std::string DecodeText(std::span<const std::uint8_t> bytes, std::uint8_t codePage);
// A Name, Address or VehicleRegistrationNumber: code-page byte, then the text.
std::string CodePageText(std::span<const std::uint8_t> field);
// An 8-bit text without code page (IA5String and the like).
std::string PlainText(std::span<const std::uint8_t> bytes);
// True for the code pages this decoder knows.
bool KnownCodePage(std::uint8_t codePage);

// A TimeReal (seconds since 1970-01-01 UTC) as "2023-04-28T11:05:05Z".
std::string IsoDateTime(std::uint32_t timeReal);
// Its date alone, "2023-04-28".
std::string IsoDate(std::uint32_t timeReal);
// A Datef (BCD yyyymmdd) as "1970-01-31"; none when a digit is no decimal
// digit, the date is all zero, or month or day are out of range.
std::optional<std::string> BcdDate(std::span<const std::uint8_t, 4> bytes);
// The 24 bits of an OdometerShort, in km.
std::uint32_t OdometerKm(std::span<const std::uint8_t, 3> bytes);

// The distinguishing sign of a NationNumeric ("D", "E", "EC", ...); empty
// for 00h and codes that name no country.
std::string NationAlpha(std::uint8_t nation);

} // namespace views
