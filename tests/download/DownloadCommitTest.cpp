// What follows a download's last block: stored, then the safety copy removed
// or kept, then the failure said last.
#include "ContainerBuilder.h"
#include "StoreRecorder.h"
#include "uDownloadCommit.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace pellkit::test;

namespace {

// One VU entry whose archive is written whole (6 bytes, 76 02 ...).
const Bytes kData{0xF0, 0x0A, 0xF1, 0x08, 0xA2, 0x06, 0x76, 0x02, 1, 2, 3, 4};

class CommitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dest_.isValid() && spoolDir_.isValid());
        spool_ = spoolDir_.filePath(QStringLiteral("download-1.vexa"));
        QFile f(spool_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TDownloadOutcome Outcome(int result, bool withData, bool withSpool) const
    {
        TDownloadOutcome o;
        o.result = result;
        if (withData)
            o.data = std::make_unique<TMemoryStream>(kData);
        if (withSpool)
            o.spoolFile = spool_;
        return o;
    }
    TStoreOptions Options(const QString& destination) const
    {
        TStoreOptions o;
        o.destination = destination;
        o.now = [] { return TArchiveTime{2024, 1, 31, 15, 42, 7}; };
        return o;
    }

    QTemporaryDir dest_;
    QTemporaryDir spoolDir_;
    QString spool_;
    TDownloadRecorder rec_;
};

} // namespace

TEST_F(CommitTest, StoresThenLetsTheSafetyCopyGo)
{
    TDownloadOutcome outcome = Outcome(0, true, true);
    const TCommitSummary s = CommitDownload(outcome, Options(dest_.path()), rec_);
    EXPECT_TRUE(s.Complete());
    EXPECT_EQ(s.store.written, 1);
    EXPECT_EQ(FilesIn(dest_.path()).size(), 1);
    EXPECT_FALSE(QFile::exists(spool_));
    EXPECT_TRUE(rec_.said.isEmpty());
}

TEST_F(CommitTest, KeepsTheSafetyCopyWhenNotEverythingWasStored)
{
    TDownloadOutcome outcome = Outcome(0, true, true);
    const TCommitSummary s = CommitDownload(outcome, Options(dest_.filePath("gone")), rec_);
    EXPECT_FALSE(s.Complete());
    EXPECT_TRUE(QFile::exists(spool_));
    EXPECT_EQ(rec_.said, QStringList{"kept " + spool_});
}

TEST_F(CommitTest, AFailedDownloadStoresNothingAndSaysSoLast)
{
    // The Vexa was told to delete, but its answer was lost: the copy stays.
    TDownloadOutcome outcome = Outcome(-101, false, true);
    outcome.spoolError = QStringLiteral("disk full");
    const TCommitSummary s = CommitDownload(outcome, Options(dest_.path()), rec_);
    EXPECT_FALSE(s.Complete());
    EXPECT_TRUE(FilesIn(dest_.path()).isEmpty());
    EXPECT_TRUE(QFile::exists(spool_));
    EXPECT_EQ(rec_.said, (QStringList{"kept " + spool_, "spool failed disk full", "failed -101"}));
}
