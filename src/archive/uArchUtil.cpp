#include "uArchUtil.h"

#include "u1bUtils.h"

#include <array>
#include <ctime>

namespace {

// NationNumeric 00h..33h; the rest is handled in NationCode.
constexpr std::array<const char*, 52> kNations = {
    "",    "A",   "AL",  "AND", "ARM", "AZ",  "B",   "BG",  "BIH", "BY",  "CH",  "CY",  "CZ",
    "D",   "DK",  "E",   "EST", "F",   "FIN", "FL",  "FR",  "UK",  "GE",  "GR",  "H",   "HR",
    "I",   "IRL", "IS",  "KZ",  "L",   "LT",  "LV",  "M",   "MC",  "MD",  "MK",  "N",   "NL",
    "P",   "PL",  "RO",  "RSM", "RUS", "S",   "SK",  "SLO", "TM",  "TR",  "UA",  "V",   "YU",
};

std::string Digits(int value, int width)
{
    // Fields out of their range still give exactly `width` digits.
    char buf[16];
    unsigned v = static_cast<unsigned>(value < 0 ? -value : value);
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return std::string(buf, static_cast<std::size_t>(width));
}

// The registration of the compact names: exactly 13 characters.
std::string Registration13(const std::string& registration)
{
    return (Trim8(registration) + std::string(13, '_')).substr(0, 13);
}

} // namespace

TArchiveTime ArchiveTimeFromTimeReal(std::uint32_t seconds)
{
    // Days to civil date in the proleptic Gregorian calendar; exact for every
    // 32-bit count and independent of the C library's time zone handling.
    const std::int64_t days = seconds / 86400;
    const std::int64_t rest = seconds % 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    TArchiveTime t;
    t.year = static_cast<int>(year);
    t.month = static_cast<int>(month);
    t.day = static_cast<int>(day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

TArchiveTime ArchiveTimeNowLocal()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    TArchiveTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second stays in its minute
    return t;
}

std::string StampLong(const TArchiveTime& when)
{
    return Digits(when.year, 4) + Digits(when.month, 2) + Digits(when.day, 2) + "_" + Digits(when.hour, 2) +
           Digits(when.minute, 2);
}

std::string StampShort(const TArchiveTime& when)
{
    return Digits(when.year % 100, 2) + Digits(when.month, 2) + Digits(when.day, 2) + Digits(when.hour, 2) +
           Digits(when.minute, 2);
}

std::string StampCompact(const TArchiveTime& when)
{
    return Digits(when.year, 4) + Digits(when.month, 2) + Digits(when.day, 2) + Digits(when.hour, 2) +
           Digits(when.minute, 2);
}

std::string NationCode(std::uint8_t nation)
{
    if (nation < kNations.size())
        return kNations[nation];
    switch (nation) {
    case 0xFD: return "EC";
    case 0xFE: return "EUR";
    case 0xFF: return "WLD";
    default: return "Inconnu";
    }
}

std::string NationCode3(std::uint8_t nation)
{
    return (NationCode(nation) + "___").substr(0, 3);
}

std::string MapNameChars(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
        if (!keep)
            c = '_';
    }
    return out;
}

std::string CleanFileName(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c == '?' || c == '*' || c == '/')
            c = '_';
    }
    return out;
}

std::string CardArchiveName(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                            const std::string& firstNames, const TArchiveTime& when, int format)
{
    std::string name;
    switch (format) {
    case 1:
        name = MapNameChars(NationCode3(nation) + cardNumber.substr(0, 14) + StampShort(when)) + ".C1B";
        break;
    case 2:
        name = "C_" + cardNumber.substr(0, 16) + "_" + NationCode3(nation) + StampLong(when) + ".TGD";
        break;
    case 3:
        name = MapNameChars(NationCode3(nation) + cardNumber.substr(0, 13) + StampCompact(when)) + ".ESM";
        break;
    default:
        name = "C_" + StampLong(when) + "_" + firstNames.substr(0, 1) + "_" + surname + "_" + cardNumber + ".DDD";
        break;
    }
    return CleanFileName(name);
}

std::string VehicleArchiveName(std::uint8_t nation, const std::string& registration, const std::string& vin,
                               const TArchiveTime& when, int format)
{
    std::string name;
    switch (format) {
    case 1:
        name = MapNameChars(NationCode3(nation) + Registration13(registration) + StampShort(when)) + ".V1B";
        break;
    case 2:
        name = "V_" + Trim8(registration) + "_" + NationCode3(nation) + StampLong(when) + ".TGD";
        break;
    case 3:
        name = MapNameChars(NationCode3(nation) + Registration13(registration) + StampCompact(when)) + ".ESM";
        break;
    default:
        name = "M_" + StampLong(when) + "_" + registration + "_" + vin + ".DDD";
        break;
    }
    return CleanFileName(name);
}

std::string SpeedArchiveName(const std::string& registration, const std::string& vin, const TArchiveTime& when)
{
    return "S_" + StampLong(when) + "_" + registration + "_" + vin + ".DDD";
}
