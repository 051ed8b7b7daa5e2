// The pellkit-cli helpers that hold logic of their own.
#include "CliCommon.h"

#include "uArdoVexa.h"
#include "uLocalization.h"

#include <gtest/gtest.h>

namespace {

TEST(CliProgress, TextShowsBytesPercentOnceKnownAndRate)
{
    struct Case {
        std::int64_t received, total;
        double seconds;
        const char* text;
    } const cases[] = {
        {0, 0, 0.0, "0 B"},
        {8, 300, 0.0, "8 B  2%"},
        {1536, 0, 1.0, "1.5 KiB  1.5 KiB/s"},   // total not yet known: no percent
        {308, 300, 2.0, "308 B  100%  154 B/s"}, // received may pass the declared total
        {3 * 1024 * 1024, 6 * 1024 * 1024, 512.0, "3.0 MiB  50%  6.0 KiB/s"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressText(c.received, c.total, c.seconds).toStdString(), c.text);
}

TEST(CliProgress, TimeLeftOnlyOnceTheTotalAndTheRateAreKnown)
{
    struct Case {
        std::int64_t received, total;
        double seconds;
        const char* text;
    } const cases[] = {
        {100, 0, 10.0, ""},            // total not known
        {100, 300, 0.2, ""},           // too early to tell the rate
        {300, 300, 10.0, ""},          // done
        {100, 300, 10.0, "  0:20 left"},
        {1, 4000, 1.0, "  66:39 left"}, // minutes do not wrap into hours
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeLeftText(c.received, c.total, c.seconds).toStdString(), c.text);
}

TEST(CliErrors, EveryResultCodeHasItsOwnText)
{
    const QString unknown = CliResultText(12345);
    const int codes[] = {kResultBadFrame, kResultBadLength, kResultBadChecksum, kResultBadDataFile,
                         kResultEndOfFile, kResultNoAnswer, kResultRefused, kResultRefused71,
                         kResultRefused72, kResultRefused73, kResultOpenRefused80, kResultOpenRefused81,
                         kResultBlockRefused, kResultEmptyFile, kResultCancelled, kResultClockRefused75};
    QStringList seen;
    for (const int code : codes) {
        const QString text = CliResultText(code);
        EXPECT_NE(text, unknown) << code;
        EXPECT_FALSE(seen.contains(text)) << code;
        seen << text;
    }
}

} // namespace

TEST(CliHelp, LongLinesBreakUnderTheStartOfTheirText)
{
    struct Case {
        const char* what;
        QString text;
        int width;
        QString wrapped;
    } const cases[] = {
        {"short lines stay", "Usage: x\n  -h  Help.\n", 20, "Usage: x\n  -h  Help.\n"},
        {"a paragraph", "one two three four five", 10, "one two\nthree four\nfive"},
        {"an option's description", "  --lang <N>  aa bb cc dd", 24, "  --lang <N>  aa bb cc\n              dd"},
        {"an indented item", "    item one two three", 16, "    item one two\n    three"},
        {"a word longer than the line", "averyveryverylongword and", 10, "averyveryverylongword\nand"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WrapText(c.text, c.width).toStdString(), c.wrapped.toStdString()) << c.what;
}

TEST(CliLanguage, LocalesOfTheEnvironmentMapToTheInterfaceLanguages)
{
    struct Case {
        const char* locale;
        int code;
    } const cases[] = {
        {"de_DE.UTF-8", 5}, {"de_AT", 5},   {"pt", 12},       {"el_GR.UTF-8", 11}, {"sl_SI@latin", 21},
        {"nb_NO", 15},      {"nn_NO", 15},  {"en_US.UTF-8", 3}, {"C", 0},          {"C.UTF-8", 0},
        {"POSIX", 0},       {"ja_JP", 0},   {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageOfLocale(c.locale), c.code) << c.locale;
}
