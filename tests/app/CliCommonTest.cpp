// The pellkit-cli helpers that hold logic of their own.
#include "CliCommon.h"

#include "uArdoVexa.h"

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
