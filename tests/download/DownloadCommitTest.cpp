// What follows a download's last block: what is stored, where the data file
// is kept, and what the user is told, for each way a download can end.
#include "CardImageBuilder.h"
#include "ContainerBuilder.h"
#include "StoreRecorder.h"
#include "uCommitTexts.h"
#include "uDownloadCommit.h"
#include "uLocalization.h"
#include "uSpool.h"
#include "uTranslation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pellkit::test;

namespace {

// A card whose identification reads but whose activity ring does not: the
// ring is shorter than the structure length its application file declares.
Bytes DamagedCard()
{
    ApplicationCounts counts;
    counts.activityStructureLength = 100;
    return pellkit::test::MakeCardImage()
        .AddApplicationIdentification(counts)
        .AddIdentification(0x0F, "ES00000000000009", "DAMAGED", "RING")
        .AddDriverActivity(0, 0, Bytes(60, 0))
        .Image();
}

// A card entry and a VU entry that both give an archive.
Bytes GoodData()
{
    return MakeContainer({{{0xA7, MakeCardImage(TCardFields{})}}, {{0xA2, MakeResponse(0x02, 20)}}});
}

class CommitTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dest_.isValid() && data_.isValid()); }

    QString Spool() const { return data_.filePath(QStringLiteral("spool")); }
    QString Downloads() const { return data_.filePath(QStringLiteral("downloads")); }

    // An outcome as the worker leaves it: the whole file, checked or not,
    // with the end command that went out and, for 83h, its safety copy.
    TDownloadOutcome Outcome(const Bytes& data, int result, std::uint8_t end, bool confirmed, bool checked = true)
    {
        TDownloadOutcome o;
        o.result = result;
        o.data = std::make_unique<TMemoryStream>(data);
        o.checked = checked;
        o.endCommand = end;
        o.endConfirmed = confirmed;
        if (end == 0x83) {
            const TSpoolWrite w = WriteSpool(data, Spool());
            EXPECT_TRUE(w.ok) << w.error.toStdString();
            o.spoolFile = w.path;
        }
        return o;
    }
    TCommitSummary Commit(TDownloadOutcome& outcome, const QString& destination = {})
    {
        TCommitOptions o;
        o.store.destination = destination.isEmpty() ? dest_.path() : destination;
        o.store.now = [] { return TArchiveTime{2024, 1, 31, 15, 42, 7}; };
        o.spoolDirectory = Spool();
        o.downloadsDirectory = Downloads();
        return CommitDownload(outcome, o, rec_);
    }
    QStringList Kept() const { return FilesIn(Downloads()); }
    QStringList Archives() const { return FilesIn(dest_.path()); }

    QTemporaryDir dest_;
    QTemporaryDir data_;
    TDownloadRecorder rec_;
};

} // namespace

TEST_F(CommitTest, ADeletedDownloadIsStoredAndItsDataFileKeptInTheDownloadsFolder)
{
    const Bytes data = GoodData();
    TDownloadOutcome outcome = Outcome(data, 0, 0x83, true);
    const TCommitSummary s = Commit(outcome);
    EXPECT_TRUE(s.Complete());
    EXPECT_EQ(Archives().size(), 2);
    EXPECT_TRUE(SpoolLeftovers(Spool()).isEmpty());
    ASSERT_EQ(Kept().size(), 1);
    EXPECT_EQ(FileBytes(QDir(Downloads()).filePath(Kept().first())), AsArray(data));
    EXPECT_EQ(rec_.said, QStringList{"downloads " + s.keptCopy});
}

TEST_F(CommitTest, ADownloadNotStoredCompletelyStaysInTheSpool)
{
    TDownloadOutcome outcome = Outcome(GoodData(), 0, 0x83, true);
    const QString spool = outcome.spoolFile;
    const TCommitSummary s = Commit(outcome, dest_.filePath("gone"));
    EXPECT_FALSE(s.Complete());
    EXPECT_TRUE(QFile::exists(spool));
    EXPECT_TRUE(Kept().isEmpty());
    EXPECT_EQ(rec_.said, QStringList{"spool " + spool});
}

// Whatever became of the end command, a checked file is stored; the user is
// told the Vexa did not confirm it, and a file it may have deleted is kept.
TEST_F(CommitTest, AnUnconfirmedEndCommandStillStoresTheData)
{
    for (const std::uint8_t end : {0x83, 0x84}) {
        SCOPED_TRACE(end);
        QDir(dest_.path()).removeRecursively();
        QDir().mkpath(dest_.path());
        QDir(Downloads()).removeRecursively();
        rec_ = {};
        TDownloadOutcome outcome = Outcome(GoodData(), -101, end, false);
        const TCommitSummary s = Commit(outcome);
        EXPECT_TRUE(s.Complete());
        EXPECT_EQ(Archives().size(), 2);
        EXPECT_EQ(Kept().size(), end == 0x83 ? 1 : 0);
        EXPECT_EQ(rec_.said.last(), "not confirmed " + QString::number(end, 16));
        EXPECT_FALSE(rec_.said.join(' ').contains("failed"));
    }
}

TEST_F(CommitTest, AFailedDownloadStoresNothingAndSaysSoLast)
{
    TDownloadOutcome outcome;
    outcome.result = -101;
    outcome.spoolError = QStringLiteral("disk full");
    const TCommitSummary s = Commit(outcome);
    EXPECT_FALSE(s.Complete());
    EXPECT_TRUE(Archives().isEmpty());
    EXPECT_EQ(rec_.said, (QStringList{"spool failed disk full", "failed -101"}));
}

TEST_F(CommitTest, AnUnreadableEntryIsKeptWithTheWholeFileWhileTheOthersAreStored)
{
    const Bytes data =
        MakeContainer({{{0xA7, MakeCardImage(TCardFields{})}}, {{0xA7, DamagedCard()}}, {{0xA2, MakeResponse(0x02, 20)}}});
    TDownloadOutcome outcome = Outcome(data, -8, 0, false, false);
    const TCommitSummary s = Commit(outcome);
    EXPECT_FALSE(s.Complete());
    EXPECT_EQ(s.unreadable, 1);
    EXPECT_EQ(Archives().size(), 2);
    ASSERT_EQ(rec_.store.notArchived.size(), 1u);
    const TEntryNote& note = rec_.store.notArchived.front();
    EXPECT_EQ(note.number, 2);
    EXPECT_EQ(note.why, TNotArchived::Unreadable);
    EXPECT_EQ(note.imageTag, 0xA7);
    EXPECT_FALSE(note.detail.isEmpty());
    ASSERT_EQ(Kept().size(), 1);
    EXPECT_EQ(FileBytes(s.keptCopy), AsArray(data));
    EXPECT_EQ(rec_.said, (QStringList{"downloads " + s.keptCopy, "unreadable 1 " + s.keptCopy}));
}

// Entries that give no archive are named with why; the data file that holds
// them is kept, by the Vexa (84h) or in the downloads folder (83h).
TEST_F(CommitTest, EntriesWithoutAnArchiveAreNamedAndTheirBytesKept)
{
    const Bytes overview = MakeOverviewResponse(0x0D, "AB 123 CD", "XYZ12345678901234", 1706715720);
    const Bytes data = MakeContainer({
        {{0xA7, MakeCardImage(TCardFields{})}, {0xA9, {1, 2, 3}}},
        {{0xA1, overview}},
        {{0xA0, {1, 2, 3}}},
        {{0xA0, {1}}, {0xA1, overview}},
        {{0xA7, MakeCardImage(TCardFields{}.NoIdentification().PadTo(40))}},
    });
    for (const std::uint8_t end : {0x84, 0x83}) {
        SCOPED_TRACE(end);
        rec_ = {};
        TDownloadOutcome outcome = Outcome(data, 0, end, true);
        const TCommitSummary s = Commit(outcome);
        EXPECT_TRUE(s.Complete());
        std::vector<std::pair<int, TNotArchived>> notes;
        for (const TEntryNote& n : rec_.store.notArchived)
            notes.emplace_back(n.number, n.why);
        EXPECT_EQ(notes, (std::vector<std::pair<int, TNotArchived>>{{1, TNotArchived::PartsNotArchived},
                                                                      {2, TNotArchived::OverviewOnly},
                                                                      {3, TNotArchived::NothingToStore},
                                                                      {4, TNotArchived::OverviewOnly},
                                                                      {5, TNotArchived::UnderMinimum}}));
        EXPECT_TRUE(rec_.store.messages.isEmpty()) << rec_.store.messages.join('\n').toStdString();
        EXPECT_EQ(rec_.said, QStringList{end == 0x84 ? QStringLiteral("vexa") : "downloads " + s.keptCopy});
    }
}

TEST_F(CommitTest, StoringTheSameDataTwiceWritesEachArchiveOnce)
{
    // The second time the card's archive is already there, also under another
    // name (a card read through a VU is named with the current time).
    TDownloadOutcome first = Outcome(GoodData(), 0, 0x84, true);
    Commit(first);
    const QStringList before = Archives();
    ASSERT_EQ(before.size(), 2);
    QFile::rename(dest_.filePath(before.first()), dest_.filePath("renamed.DDD"));

    rec_ = {};
    TDownloadOutcome second = Outcome(GoodData(), 0, 0x84, true);
    const TCommitSummary s = Commit(second);
    EXPECT_TRUE(s.Complete());
    EXPECT_EQ(Archives().size(), 2);
    EXPECT_EQ(s.store.skippedIdentical, 2);
    QStringList names;
    for (const TArchiveReport& r : rec_.store.archives)
        names << r.fileName;
    EXPECT_TRUE(names.contains("renamed.DDD")) << names.join(' ').toStdString();
}

// The window's one line on a download: the archives, the entries without
// one and where they are, and what became of the Vexa's data or the file.
TEST_F(CommitTest, TheSummaryLineSaysWhatBecameOfTheDownload)
{
    SetCurrentLanguage(lang::English);
    const Bytes withOverviewOnly = MakeContainer({{{0xA7, MakeCardImage(TCardFields{})}},
                                                  {{0xA1, MakeOverviewResponse(0x0D, "AB 123 CD", "XYZ12345678901234",
                                                                               1706715720)}}});
    struct Case {
        const char* name;
        Bytes data;
        int result;
        std::uint8_t end;
        bool confirmed;
        bool fromFile;    // a safety copy stored again
        bool goneDest;    // the destination is not there
        const char* summary;
    };
    const Case cases[] = {
        {"deleted", GoodData(), 0, 0x83, true, false, false,
         "Archives written: 2, already there: 0, failed: 0. The Vexa deleted its data."},
        {"kept", GoodData(), 0, 0x84, true, false, false,
         "Archives written: 2, already there: 0, failed: 0. The Vexa keeps its data."},
        {"delete not confirmed", GoodData(), -101, 0x83, false, false, false,
         "Archives written: 2, already there: 0, failed: 0. The Vexa did not confirm that it deleted its data."},
        {"keep not confirmed", GoodData(), -101, 0x84, false, false, false,
         "Archives written: 2, already there: 0, failed: 0. The Vexa did not confirm the end of the download; it "
         "keeps its data."},
        {"entry left in the Vexa", withOverviewOnly, 0, 0x84, true, false, false,
         "Archives written: 1, already there: 0, failed: 0. Entries without an archive: 1, left in the Vexa. The "
         "Vexa keeps its data."},
        {"entry left in the downloads folder", withOverviewOnly, 0, 0x83, true, false, false,
         "Archives written: 1, already there: 0, failed: 0. Entries without an archive: 1, kept with the data file "
         "in the downloads folder. The Vexa deleted its data."},
        {"nothing stored", GoodData(), 0, 0x83, true, false, true,
         "Archives written: 0, already there: 0, failed: 2. The Vexa deleted its data. The safety copy is kept "
         "until everything is stored."},
        {"a safety copy stored again", GoodData(), 0, 0x83, true, true, false,
         "Archives written: 2, already there: 0, failed: 0. The data file is now kept in the downloads folder."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dest_.path()).removeRecursively();
        QDir().mkpath(dest_.path());
        TDownloadOutcome outcome = Outcome(c.data, c.result, c.end, c.confirmed);
        if (c.fromFile) {
            outcome.sourceFile = outcome.spoolFile;
            outcome.endCommand = 0;
        }
        const TCommitSummary s = Commit(outcome, c.goneDest ? dest_.filePath("gone") : QString());
        EXPECT_EQ(CommitSummaryText(s), QString::fromUtf8(c.summary));
    }
    // A download that brought nothing to store is its result's own text.
    TDownloadOutcome failed;
    failed.result = -101;
    EXPECT_EQ(CommitSummaryText(Commit(failed)), ResultText(-101));
}
