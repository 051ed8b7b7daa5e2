#include "ContainerBuilder.h"
#include "u1bUtils.h"
#include "uContainer.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace pellkit::test;

namespace {

struct TLogRecorder : IDebugLog {
    QStringList lines;
    void DebugLog(const QString& line) override { lines << line; }
};

struct TValidation {
    int result;
    QStringList lines;
};

TValidation Validate(const Bytes& bytes)
{
    TMemoryStream stream(bytes);
    TLogRecorder log;
    const int result = ValidateContainer(log, stream);
    return {result, log.lines};
}

} // namespace

TEST(ValidateContainer, AcceptsAVuEntryAndLogsTheWalk)
{
    const TValidation v = Validate({0xF0, 0x0A, 0xF1, 0x08, 0xA2, 0x06, 0x76, 0x02, 1, 2, 3, 4});
    EXPECT_EQ(v.result, 0);
    EXPECT_EQ(v.lines, (QStringList{"F0 : 10", MessageText(msg::LogEntry) + "8", "PRT 2 : 6"}));
}

TEST(ValidateContainer, ReadsTheOverviewAndWalksPastAnOuterLengthOfZero)
{
    const Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", "XYZ12345678901234", 1706715720);
    // The outer length says 0: it ends nothing.
    Bytes data{0xF0, 0x00};
    Append(data, MakeEntry({{0xA1, overview}, {0xA2, MakeResponse(0x02, 20)}}));
    Append(data, MakeEntry({{0xA8, {9, 9}}}));
    const TValidation v = Validate(data);
    EXPECT_EQ(v.result, 0) << v.lines.join('\n').toStdString();
    EXPECT_EQ(v.lines.first(), "F0 : 0");
    EXPECT_TRUE(v.lines.contains("PRT 1 : 623"));
    EXPECT_TRUE(v.lines.contains("PRT 8 : 2"));
}

TEST(ValidateContainer, FailsOnBrokenGrammar)
{
    const QString noF0 = MessageText(msg::NoF0Tag);
    const QString noF1 = MessageText(msg::NoF1Tag);
    const QString badPart = MessageText(msg::PartTagInvalid);
    const struct {
        const char* what;
        Bytes bytes;
        QString expectedLine;
    } cases[] = {
        {"empty data file", {}, noF0},
        {"first tag not F0", {0xF1, 0x00}, noF0},
        {"F0 00 alone", {0xF0, 0x00}, noF1},
        {"entry tag not F1", {0xF0, 0x03, 0xF2, 0x01, 0xA0}, noF1},
        {"part tag outside A0..AF", {0xF0, 0x04, 0xF1, 0x02, 0xB2, 0x00}, badPart},
        {"trailing bytes after the last entry", {0xF0, 0x05, 0xF1, 0x02, 0xA0, 0x00, 0x00}, noF1},
    };
    for (const auto& c : cases) {
        const TValidation v = Validate(c.bytes);
        EXPECT_EQ(v.result, -1) << c.what;
        EXPECT_TRUE(v.lines.contains(c.expectedLine)) << c.what << ": " << v.lines.join(" | ").toStdString();
    }
}

TEST(ValidateContainer, FailsOnTruncatedOrEmptyEntriesWithoutStopping)
{
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"part longer than the data left", {0xF0, 0x07, 0xF1, 0x05, 0xA2, 0x84, 0xFF, 0xFF, 0xFF, 0xF0, 0x00}},
        {"entry longer than its parts and the data", {0xF0, 0x06, 0xF1, 0x10, 0xA0, 0x01, 0x00}},
        {"entry of length 0", {0xF0, 0x02, 0xF1, 0x00}},
    };
    for (const auto& c : cases) {
        const TValidation v = Validate(c.bytes);
        EXPECT_EQ(v.result, -1) << c.what;
    }
    // An empty entry fails, but the entry after it is still walked.
    const TValidation v = Validate({0xF0, 0x07, 0xF1, 0x00, 0xF1, 0x03, 0xA5, 0x01, 0x00});
    EXPECT_EQ(v.result, -1);
    EXPECT_TRUE(v.lines.contains("PRT 5 : 1"));
}

TEST(ValidateContainer, EntryEndsOnceItsLengthIsReachedEvenIfTheLastPartRunsPast)
{
    // L = 2 but the only part is 5 bytes long: no error, and the next entry follows.
    const TValidation v = Validate({0xF0, 0x00, 0xF1, 0x02, 0xA0, 0x03, 1, 2, 3, 0xF1, 0x02, 0xA3, 0x00});
    EXPECT_EQ(v.result, 0) << v.lines.join(" | ").toStdString();
    EXPECT_TRUE(v.lines.contains("PRT 3 : 0"));
}
