#include "uArchUtil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const TArchiveTime kJan31{2024, 1, 31, 15, 42, 0};

TEST(ArchiveTime, FromTimeRealIsUtcCivilDate)
{
    struct Case {
        std::uint32_t seconds;
        TArchiveTime expected;
    };
    const Case cases[] = {
        {0u, {1970, 1, 1, 0, 0, 0}},
        {1706715720u, {2024, 1, 31, 15, 42, 0}},
        {1709251199u, {2024, 2, 29, 23, 59, 59}},  // leap day, last second
        {951825600u, {2000, 2, 29, 12, 0, 0}},     // century leap year
        {4107542400u, {2100, 3, 1, 0, 0, 0}},      // 2100 is no leap year
        {4294967295u, {2106, 2, 7, 6, 28, 15}},    // the last TimeReal
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArchiveTimeFromTimeReal(c.seconds), c.expected) << c.seconds;
}

TEST(ArchiveTime, NowLocalIsAPlausibleDate)
{
    const TArchiveTime now = ArchiveTimeNowLocal();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
}

TEST(ArchiveTime, StampPatterns)
{
    EXPECT_EQ(StampLong(kJan31), "20240131_1542");
    EXPECT_EQ(StampShort(kJan31), "2401311542");
    EXPECT_EQ(StampCompact(kJan31), "202401311542");
    const TArchiveTime epoch = ArchiveTimeFromTimeReal(0);
    EXPECT_EQ(StampLong(epoch), "19700101_0000");
    EXPECT_EQ(StampShort(epoch), "7001010000");
    EXPECT_EQ(StampCompact(epoch), "197001010000");
}

TEST(Nation, CodesAndThreeLetterForm)
{
    struct Case {
        std::uint8_t nation;
        const char* code;
        const char* code3;
    };
    const Case cases[] = {
        {0x00, "", "___"},     {0x01, "A", "A__"},         {0x07, "BG", "BG_"},
        {0x0D, "D", "D__"},    {0x11, "F", "F__"},         {0x15, "UK", "UK_"},
        {0x2B, "RUS", "RUS"},  {0x33, "YU", "YU_"},        {0x34, "Inconnu", "Inc"},
        {0x40, "Inconnu", "Inc"}, {0xFC, "Inconnu", "Inc"}, {0xFD, "EC", "EC_"},
        {0xFE, "EUR", "EUR"},  {0xFF, "WLD", "WLD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NationCode(c.nation), c.code) << int(c.nation);
        EXPECT_EQ(NationCode3(c.nation), c.code3) << int(c.nation);
    }
}

TEST(NameChars, MapKeepsOnlyDigitsAndCapitals)
{
    EXPECT_EQ(MapNameChars("AZ09_az -.\x80\xE9\xFF"), "AZ09_________");
    EXPECT_EQ(MapNameChars(""), "");
}

TEST(NameChars, CleanReplacesOnlyWildcardsAndSlash)
{
    EXPECT_EQ(CleanFileName("a?b*c/d"), "a_b_c_d");
    const std::string untouched = "x \\:\xE9<>|.";
    EXPECT_EQ(CleanFileName(untouched), untouched);
}

TEST(CardName, WorkedExamplesAndFormatFallback)
{
    struct Case {
        int format;
        const char* name;
    };
    const char* ddd = "C_20240131_1542_P_MARTIN_ABC1234567890001.DDD";
    const Case cases[] = {
        {0, ddd},
        {1, "F__ABC123456789002401311542.C1B"},
        {2, "C_ABC1234567890001_F__20240131_1542.TGD"},
        {3, "F__ABC1234567890202401311542.ESM"},
        {-1, ddd},
        {4, ddd},
        {99, ddd},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CardArchiveName(0x11, "ABC1234567890001", "MARTIN", "PAUL", kJan31, c.format), c.name)
            << c.format;
}

TEST(CardName, NationEdgeCases)
{
    const std::string no = "ABC1234567890001";
    EXPECT_EQ(CardArchiveName(0x40, no, "M", "P", kJan31, 1), "I__ABC123456789002401311542.C1B");
    EXPECT_EQ(CardArchiveName(0x40, no, "M", "P", kJan31, 2), "C_ABC1234567890001_Inc20240131_1542.TGD");
    EXPECT_EQ(CardArchiveName(0x40, no, "M", "P", kJan31, 3), "I__ABC1234567890202401311542.ESM");
    EXPECT_EQ(CardArchiveName(0x00, no, "M", "P", kJan31, 1), "___ABC123456789002401311542.C1B");
    EXPECT_EQ(CardArchiveName(0x00, no, "M", "P", kJan31, 2), "C_ABC1234567890001____20240131_1542.TGD");
    EXPECT_EQ(CardArchiveName(0x00, no, "M", "P", kJan31, 3), "___ABC1234567890202401311542.ESM");
}

TEST(CardName, HolderNamesInFormatZero)
{
    EXPECT_EQ(CardArchiveName(0x11, "ABC1234567890001", "MARTIN", "", kJan31, 0),
              "C_20240131_1542__MARTIN_ABC1234567890001.DDD");
    // Lower case and accented bytes stay; only ?, * and / are replaced.
    EXPECT_EQ(CardArchiveName(0x11, "N/1", "M\xFCller d'A?", "*x", kJan31, 0),
              "C_20240131_1542___M\xFCller d'A__N_1.DDD");
}

TEST(CardName, ShortCardNumberIsNotPadded)
{
    EXPECT_EQ(CardArchiveName(0x11, "AB12", "M", "P", kJan31, 1), "F__AB122401311542.C1B");
    EXPECT_EQ(CardArchiveName(0x11, "AB12", "M", "P", kJan31, 3), "F__AB12202401311542.ESM");
}

TEST(VehicleName, WorkedExamplesAndFormatFallback)
{
    struct Case {
        int format;
        const char* name;
    };
    const char* ddd = "M_20240131_1542_AB 123 CD_XYZ12345678901234.DDD";
    const Case cases[] = {
        {0, ddd},
        {1, "D__AB_123_CD____2401311542.V1B"},
        {2, "V_AB 123 CD_D__20240131_1542.TGD"},
        {3, "D__AB_123_CD____202401311542.ESM"},
        {-1, ddd},
        {4, ddd},
        {99, ddd},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VehicleArchiveName(0x0D, "AB 123 CD", "XYZ12345678901234", kJan31, c.format), c.name)
            << c.format;
    EXPECT_EQ(SpeedArchiveName("AB 123 CD", "XYZ12345678901234", kJan31),
              "S_20240131_1542_AB 123 CD_XYZ12345678901234.DDD");
}

TEST(VehicleName, SlashIsCleanedExceptInTheSpeedName)
{
    EXPECT_EQ(VehicleArchiveName(0x0D, "AB/12", "V", kJan31, 0), "M_20240131_1542_AB_12_V.DDD");
    EXPECT_EQ(VehicleArchiveName(0x0D, "AB/12", "V", kJan31, 1), "D__AB_12________2401311542.V1B");
    EXPECT_EQ(VehicleArchiveName(0x0D, "AB/12", "V", kJan31, 2), "V_AB_12_D__20240131_1542.TGD");
    EXPECT_EQ(VehicleArchiveName(0x0D, "AB/12", "V", kJan31, 3), "D__AB_12________202401311542.ESM");
    EXPECT_EQ(SpeedArchiveName("AB/12", "V", kJan31), "S_20240131_1542_AB/12_V.DDD");
}

TEST(VehicleName, CompactNamesHaveAFixedLength)
{
    for (const std::string reg : {"", " X ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        EXPECT_EQ(VehicleArchiveName(0x0D, reg, "V", kJan31, 1).size(), 30u) << reg;
        EXPECT_EQ(VehicleArchiveName(0x0D, reg, "V", kJan31, 3).size(), 32u) << reg;
    }
    // The registration is trimmed in the compact and TGD names, kept as is in the DDD name.
    EXPECT_EQ(VehicleArchiveName(0x0D, " X ", "V", kJan31, 1), "D__X____________2401311542.V1B");
    EXPECT_EQ(VehicleArchiveName(0x0D, " X ", "V", kJan31, 2), "V_X_D__20240131_1542.TGD");
    EXPECT_EQ(VehicleArchiveName(0x0D, " X ", "V", kJan31, 0), "M_20240131_1542_ X _V.DDD");
    EXPECT_EQ(VehicleArchiveName(0x00, "", "", ArchiveTimeFromTimeReal(0), 2), "V_____19700101_0000.TGD");
}

} // namespace
