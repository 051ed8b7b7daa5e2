#include "uLocalization.h"
#include "uMessageCodes.h"

#include <gtest/gtest.h>

namespace {

TEST(Localization, CharsetOfEachLanguage)
{
    struct Case {
        int code;
        int charset;
    };
    const Case cases[] = {{11, 161}, {17, 186}, {18, 186}, {19, 204}, {20, 186},
                          {2, 1},    {3, 1},    {14, 1},   {21, 1},   {0, 1}, {-5, 1}, {255, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(LanguageCharset(c.code), c.charset) << c.code;
}

TEST(Localization, CurrentLanguageTakesAnyCode)
{
    EXPECT_EQ(CurrentLanguage(), 0); // until the start-up sets one
    const int greek = lang::kLanguages[9].code;
    for (int code : {greek, 1, 99, lang::French}) {
        SetCurrentLanguage(code);
        EXPECT_EQ(CurrentLanguage(), code);
    }
    EXPECT_EQ(greek, 11);
    EXPECT_EQ(LanguageCharset(greek), lang::GreekCharset);
    SetCurrentLanguage(0);
}

TEST(MessageCodes, ResultCodesMapToTheirTexts)
{
    struct Case {
        int result;
        int code;
    };
    const Case cases[] = {
        {-1, 140},   {-8, 141},   {-110, 143}, {-109, 151}, {-2, 802},   {-3, 803},   {-100, 810},
        {-101, 811}, {-102, 812}, {-103, 813}, {-104, 814}, {-105, 815}, {-106, 816}, {-107, 817},
        {-108, 818}, {-111, 821}, {-112, 955}, {-113, 956}, {0, 899},    {-4, 899},   {-114, 899},
        {1, 899},    {-99, 899},
    };
    for (const Case& c : cases)
        EXPECT_EQ(msg::ResultMessageCode(c.result), c.code) << c.result;
}

TEST(MessageCodes, VexaLanguageListOrder)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(msg::kVexaLanguageCodes[static_cast<std::size_t>(i)], 524 + i);
    const int tail[] = {544, 540, 545, 543, 541, 542, 546};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(msg::kVexaLanguageCodes[static_cast<std::size_t>(16 + i)], tail[i]);
}

} // namespace
