// Texts in their code pages, times and dates as people read them.
#include "TestBytes.h"
#include "uViewText.h"

#include <gtest/gtest.h>

using pellkit::test::Bytes;

namespace {

TEST(ViewText, CodePagesDecodeToUtf8)
{
    const struct {
        const char* what;
        std::uint8_t codePage;
        Bytes text;
        std::string utf8;
    } cases[] = {
        {"Latin-1", 1, {'M', 'U', 0xD1, 'O', 'Z'}, "MU\u00D1OZ"},
        {"Latin-2", 2, {0xA3, 0xF3, 'd', 0xBC}, "\u0141\u00F3d\u017A"},
        {"Latin-3", 3, {0xA1, 0xFE}, "\u0126\u015D"},
        {"Cyrillic", 5, {0xBC, 0xDE, 0xE1, 0xDA, 0xD2, 0xD0}, "\u041C\u043E\u0441\u043A\u0432\u0430"},
        {"Greek", 7, {0xC1, 0xE8, 0xDE, 0xED, 0xE1}, "\u0391\u03B8\u03AE\u03BD\u03B1"},
        {"Turkish", 9, {0xDD, 's', 't', 'a', 'n', 'b', 'u', 'l'}, "\u0130stanbul"},
        {"Baltic", 13, {0xC0, 0xFD}, "\u0104\u017C"},
        {"Latin-9", 15, {0xA4}, "\u20AC"},
        {"Latin-10", 16, {0xAA, 0xDE}, "\u0218\u021A"},
        {"KOI8-R", 80, {0xED, 0xCF, 0xD3, 0xCB, 0xD7, 0xC1}, "\u041C\u043E\u0441\u043A\u0432\u0430"},
        {"KOI8-U", 85, {0xB4, 0xA6}, "\u0404\u0456"},
        {"a code page no one names is read as Latin-1", 0, {'A', 0xE9}, "A\u00E9"},
        {"unassigned in Latin-3", 3, {'A', 0xA5}, "A\uFFFD"},
        {"blanks and NUL padding trimmed, inner blanks kept", 1, {0x00, ' ', 'A', ' ', 'B', ' ', 0x00, 0x00}, "A B"},
        {"a control code inside is replaced", 1, {'A', 0x07, 'B'}, "A\uFFFDB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(views::DecodeText(c.text, c.codePage), c.utf8);
        Bytes field{c.codePage};
        field.insert(field.end(), c.text.begin(), c.text.end());
        EXPECT_EQ(views::CodePageText(field), c.utf8);
    }
    EXPECT_TRUE(views::KnownCodePage(1));
    EXPECT_TRUE(views::KnownCodePage(85));
    EXPECT_FALSE(views::KnownCodePage(4));
    EXPECT_EQ(views::CodePageText(Bytes{}), "");
}

TEST(ViewText, TimesDatesAndNumbers)
{
    EXPECT_EQ(views::IsoDateTime(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(views::IsoDateTime(0x644BA861), "2023-04-28T11:05:05Z");
    EXPECT_EQ(views::IsoDateTime(0xFFFFFFFF), "2106-02-07T06:28:15Z");
    EXPECT_EQ(views::IsoDate(951782400 + 86399), "2000-02-29");

    const struct {
        std::uint8_t bytes[4];
        std::optional<std::string> date;
    } dates[] = {
        {{0x19, 0x70, 0x01, 0x31}, "1970-01-31"},
        {{0x20, 0x30, 0x12, 0x31}, "2030-12-31"},
        {{0x00, 0x00, 0x00, 0x00}, std::nullopt},
        {{0x19, 0x7A, 0x01, 0x01}, std::nullopt},
        {{0x19, 0x70, 0x13, 0x01}, std::nullopt},
        {{0xFF, 0xFF, 0xFF, 0xFF}, std::nullopt},
    };
    for (const auto& d : dates)
        EXPECT_EQ(views::BcdDate(d.bytes), d.date);

    const std::uint8_t odometer[3] = {0x01, 0x86, 0xA0};
    EXPECT_EQ(views::OdometerKm(odometer), 100000u);
    EXPECT_EQ(views::NationAlpha(0x0D), "D");
    EXPECT_EQ(views::NationAlpha(0x0F), "E");
    EXPECT_EQ(views::NationAlpha(0x00), "");
    EXPECT_EQ(views::NationAlpha(0x40), "");
    EXPECT_EQ(views::NationAlpha(0xFD), "EC");
}

} // namespace
