// The register over folders built here: what each file is, told by content;
// one row per card or VU however many archives hold it; the cache and what
// makes it read a file again; files that must never break the register.

#include "CardImageBuilder.h"
#include "CertTestKit.h"
#include "VuBlockBuilder.h"
#include "uRegister.h"
#include "uRegisterFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using pellkit::test::Bytes;
using pellkit::test::TCardFields;

namespace {

constexpr std::uint32_t kDay = 86400;
// 2020-07-20 00:00 UTC.
constexpr std::uint32_t kToday = 1595203200;

Bytes Card(const std::string& number, std::uint32_t lastDownload, const std::string& surname = "SURNAME")
{
    return pellkit::test::MakeCardImage(TCardFields{}.Number(number).Holder(surname, "FIRST").LastDownload(lastDownload));
}

Bytes Vu(const std::string& registration, const std::string& vin, std::uint32_t currentTime)
{
    return pellkit::test::MakeOverviewResponse(0x0D, registration, vin, currentTime);
}

class Register : public testing::Test {
protected:
    fs::path Folder() const { return fs::path(dir_.path().toStdString()) / "archives"; }
    fs::path Cache() const { return fs::path(dir_.path().toStdString()) / "cache" / "register.db"; }

    void SetUp() override { fs::create_directories(Folder()); }

    fs::path Write(const std::string& name, const Bytes& bytes) const
    {
        const fs::path path = Folder() / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    reg::TRegister Run(const fs::path& keys = {}) const
    {
        reg::TRegisterOptions options;
        options.cacheFile = Cache();
        options.today = kToday;
        options.trustedKeys = keys;
        return reg::BuildRegister({Folder()}, options);
    }

    static const reg::TRegisterRow* Row(const reg::TRegister& r, const std::string& id)
    {
        const auto it = std::find_if(r.rows.begin(), r.rows.end(), [&](const reg::TRegisterRow& row) {
            return row.cardNumber == id || row.registration == id;
        });
        return it == r.rows.end() ? nullptr : &*it;
    }
    static const reg::TRegisterOther* Other(const reg::TRegister& r, const std::string& name)
    {
        const auto it = std::find_if(r.others.begin(), r.others.end(),
                                     [&](const reg::TRegisterOther& o) { return o.path.filename() == name; });
        return it == r.others.end() ? nullptr : &*it;
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(Register, EveryFileToldByContentAndOneRowPerCardOrVu)
{
    // One card in two archives, the later one under a name of no family at all.
    Write("C_20200705_0800_SURNAME_ES00000000000001.DDD", Card("ES00000000000001", kToday - 15 * kDay));
    const fs::path later = Write("renamed.txt", Card("ES00000000000001", kToday - 3 * kDay));
    // A card read through a VU (76 06 before it), without extension; overdue.
    Bytes viaVu{0x76, 0x06};
    const Bytes old = Card("ES00000000000002", kToday - 40 * kDay, "OTHER");
    viaVu.insert(viaVu.end(), old.begin(), old.end());
    Write("card2", viaVu);
    // A VU downloaded twice, its registration changed between: the VIN is the vehicle.
    Write("vu-first.V1B", Vu("AB 123", "VIN00000000000001", kToday - 100 * kDay));
    const fs::path vuLater = Write("vu-second.ddd", Vu("CD 456", "VIN00000000000001", kToday - 85 * kDay));
    // Files that are no register row.
    Write("notes.ddd", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    Write("smart.ddd", pellkit::test::MakeResponse(0x21, 300));
    Write("smart-card.ddd", pellkit::test::MakeCardImage()
                                .AddFile(0x0002, 0, Bytes(25, 0x11))
                                .AddFile(0x0520, 2, Bytes(143, 0x20))
                                .Image());
    Write("cut.ddd", Bytes{0x76, 0x01, 0x00, 0x01});
    Write("nameless-card.ddd", pellkit::test::MakeCardImage(TCardFields{}.NoIdentification()));
    // Left alone: a dot file (the archive writer's temporaries) and a subfolder.
    Write(".tmp-archive", Card("ES00000000000009", kToday));
    fs::create_directories(Folder() / "sub");

    const reg::TRegister r = Run();
    ASSERT_EQ(r.rows.size(), 3u);
    // The most urgent first.
    EXPECT_EQ(r.rows[0].cardNumber, "ES00000000000002");
    EXPECT_EQ(r.rows[1].registration, "CD 456");
    EXPECT_EQ(r.rows[2].cardNumber, "ES00000000000001");

    const reg::TRegisterRow& card = r.rows[2];
    EXPECT_EQ(card.kind, reg::TEntityKind::DriverCard);
    EXPECT_EQ(card.archives, 2);
    EXPECT_EQ(card.latest, later);
    EXPECT_EQ(card.holder, "SURNAME, FIRST");
    EXPECT_EQ(card.nation, "E");
    EXPECT_EQ(card.lastDownload, kToday - 3 * kDay);
    EXPECT_EQ(card.nextDue, kToday + 25 * kDay);
    EXPECT_EQ(card.daysLeft, 25);
    EXPECT_EQ(card.due, reg::TDueState::Ok);
    EXPECT_FALSE(card.cardExpiry.empty());

    EXPECT_EQ(r.rows[0].daysLeft, -12);
    EXPECT_EQ(r.rows[0].due, reg::TDueState::Overdue);
    EXPECT_EQ(r.rows[0].archives, 1);

    const reg::TRegisterRow& vu = r.rows[1];
    EXPECT_EQ(vu.kind, reg::TEntityKind::VehicleUnit);
    EXPECT_EQ(vu.archives, 2);
    EXPECT_EQ(vu.latest, vuLater);
    EXPECT_EQ(vu.vin, "VIN00000000000001");
    EXPECT_EQ(vu.nation, "D");
    EXPECT_EQ(vu.lastDownload, kToday - 85 * kDay);
    EXPECT_EQ(vu.daysLeft, 5);
    EXPECT_EQ(vu.due, reg::TDueState::DueSoon);
    // Zero certificates: nothing opens.
    EXPECT_NE(vu.verdict, views::TVerdict::Valid);

    const struct {
        const char* name;
        reg::TOtherKind kind;
        const char* reason; // a part of it
    } others[] = {
        {"notes.ddd", reg::TOtherKind::NotTachograph, ""},
        {"smart.ddd", reg::TOtherKind::Generation2, "VU download"},
        {"smart-card.ddd", reg::TOtherKind::Generation2, "card"},
        {"cut.ddd", reg::TOtherKind::Unreadable, "overview"},
        {"nameless-card.ddd", reg::TOtherKind::Unreadable, "EF_Identification"},
    };
    EXPECT_EQ(r.others.size(), std::size(others));
    for (const auto& o : others) {
        SCOPED_TRACE(o.name);
        const reg::TRegisterOther* other = Other(r, o.name);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->kind, o.kind);
        EXPECT_NE(other->reason.find(o.reason), std::string::npos) << other->reason;
    }
}

TEST_F(Register, SecondRunComesFromTheCacheAndChangedFilesAreReadAgain)
{
    const fs::path a = Write("a.ddd", Card("ES00000000000001", kToday - 3 * kDay));
    Write("b.ddd", Vu("AB 123", "VIN00000000000001", kToday - 10 * kDay));
    Write("c.ddd", Bytes{'x'});

    const reg::TRegister first = Run();
    EXPECT_EQ(first.filesRead, 3u);
    const reg::TRegister second = Run();
    EXPECT_EQ(second.filesRead, 0u);
    EXPECT_EQ(second.filesCached, 3u);
    ASSERT_EQ(second.rows.size(), first.rows.size());
    for (std::size_t i = 0; i < first.rows.size(); ++i) {
        EXPECT_EQ(second.rows[i].cardNumber, first.rows[i].cardNumber);
        EXPECT_EQ(second.rows[i].registration, first.rows[i].registration);
        EXPECT_EQ(second.rows[i].vin, first.rows[i].vin);
        EXPECT_EQ(second.rows[i].holder, first.rows[i].holder);
        EXPECT_EQ(second.rows[i].nationCode, first.rows[i].nationCode);
        EXPECT_EQ(second.rows[i].cardExpiry, first.rows[i].cardExpiry);
        EXPECT_EQ(second.rows[i].lastDownload, first.rows[i].lastDownload);
        EXPECT_EQ(second.rows[i].verdict, first.rows[i].verdict);
        EXPECT_EQ(second.rows[i].latest, first.rows[i].latest);
    }
    ASSERT_EQ(second.others.size(), 1u);
    EXPECT_EQ(second.others[0].kind, reg::TOtherKind::NotTachograph);

    // Same size, other time: read again.
    const auto stamp = fs::last_write_time(a);
    Write("a.ddd", Card("ES00000000000001", kToday - 2 * kDay));
    fs::last_write_time(a, stamp + std::chrono::seconds(5));
    reg::TRegister changed = Run();
    EXPECT_EQ(changed.filesRead, 1u);
    ASSERT_NE(Row(changed, "ES00000000000001"), nullptr);
    EXPECT_EQ(Row(changed, "ES00000000000001")->lastDownload, kToday - 2 * kDay);

    // Other size, same time: read again.
    const auto kept = fs::last_write_time(a);
    Write("a.ddd", pellkit::test::MakeCardImage(TCardFields{}.LastDownload(kToday - kDay).PadTo(400)));
    fs::last_write_time(a, kept);
    changed = Run();
    EXPECT_EQ(changed.filesRead, 1u);
    EXPECT_EQ(Row(changed, "ES00000000000001")->lastDownload, kToday - kDay);

    // A removed file leaves the register and the cache: put back as it was, it is read again.
    const fs::path parked = fs::path(dir_.path().toStdString()) / "parked";
    fs::rename(a, parked);
    const reg::TRegister removed = Run();
    EXPECT_EQ(removed.filesRead, 0u);
    EXPECT_EQ(Row(removed, "ES00000000000001"), nullptr);
    fs::rename(parked, a);
    fs::last_write_time(a, kept);
    EXPECT_EQ(Run().filesRead, 1u);
}

TEST_F(Register, ABrokenCacheIsRebuiltOrDoneWithout)
{
    Write("a.ddd", Card("ES00000000000001", kToday - 3 * kDay));
    Write("b.ddd", Card("ES00000000000002", kToday - 4 * kDay));

    // Not a database at all.
    fs::create_directories(Cache().parent_path());
    {
        std::ofstream junk(Cache(), std::ios::binary);
        junk << std::string(4096, 'J');
    }
    reg::TRegister r = Run();
    EXPECT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.filesRead, 2u);
    EXPECT_EQ(Run().filesRead, 0u); // rebuilt

    // A database cut short in the middle of its pages.
    fs::resize_file(Cache(), fs::file_size(Cache()) / 2);
    r = Run();
    EXPECT_EQ(r.rows.size(), 2u);

    // A cache that cannot be written: every run reads, none fails.
    reg::TRegisterOptions options;
    options.today = kToday;
    options.cacheFile = Folder() / "a.ddd" / "register.db"; // below a file
    for (int run = 0; run < 2; ++run) {
        r = reg::BuildRegister({Folder()}, options);
        EXPECT_EQ(r.rows.size(), 2u);
        EXPECT_EQ(r.filesRead, 2u);
    }
}

TEST_F(Register, VerdictsOfTheCacheAreForTheKeysTheyWereWorkedOutWith)
{
    // A card signed under a test root that only TK_PK.bin in keys trusts.
    const auto& root = certkit::Key("root");
    const auto& ms = certkit::Key("ms", 0x40000081);
    const auto& card = certkit::Key("equipment");
    const std::string msRef = "0F4520200A000301";
    const auto msCert = certkit::Issue(root, certkit::RefFromHex(kTestRootReference), certkit::RefFromHex(msRef), ms);
    const auto cardCert = certkit::Issue(ms, certkit::RefFromHex(msRef), certkit::RefFromHex("0000000100000007"), card);
    const Bytes app = pellkit::test::CardImageBuilder::ApplicationIdentificationBody({});
    const Bytes ident = pellkit::test::CardImageBuilder::IdentificationBody(0x0F, "E0000012345678", "MUNOZ", "ANA");
    const Bytes download = pellkit::test::BE32(kToday - kDay);
    const auto bytes = [](const auto& a) { return Bytes(a.begin(), a.end()); };
    Write("signed.ddd", pellkit::test::MakeCardImage()
                            .AddFile(0x0002, 0, Bytes(25, 0x11))
                            .AddFile(0x0501, 0, app)
                            .AddFile(0x0501, 1, bytes(certkit::Sign(card, app)))
                            .AddFile(0xC100, 0, bytes(cardCert))
                            .AddFile(0xC108, 0, bytes(msCert))
                            .AddFile(0x0520, 0, ident)
                            .AddFile(0x0520, 1, bytes(certkit::Sign(card, ident)))
                            .AddFile(0x050E, 0, download)
                            .AddFile(0x050E, 1, bytes(certkit::Sign(card, download)))
                            .Image());
    const fs::path keys = fs::path(dir_.path().toStdString()) / "keys";
    fs::create_directories(keys);
    {
        Bytes key;
        const certkit::Ref ref = certkit::RefFromHex(kTestRootReference);
        key.insert(key.end(), ref.begin(), ref.end());
        key.insert(key.end(), root.n.begin(), root.n.end());
        key.insert(key.end(), root.e.begin(), root.e.end());
        std::ofstream out(keys / kTestRootKeyFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(key.data()), static_cast<std::streamsize>(key.size()));
    }

    const reg::TRegister trusted = Run(keys);
    ASSERT_EQ(trusted.rows.size(), 1u);
    EXPECT_EQ(trusted.rows[0].verdict, views::TVerdict::Valid);
    EXPECT_EQ(trusted.rows[0].lastDownload, kToday - kDay);

    const reg::TRegister untrusted = Run();
    EXPECT_EQ(untrusted.filesRead, 1u);
    ASSERT_EQ(untrusted.rows.size(), 1u);
    EXPECT_NE(untrusted.rows[0].verdict, views::TVerdict::Valid);

    // A certificate of one file never opens the next: the same card without
    // its member state certificate, read after the whole one, is not valid.
    Write("z-no-ms.ddd", pellkit::test::MakeCardImage()
                             .AddFile(0x0002, 0, Bytes(25, 0x11))
                             .AddFile(0xC100, 0, bytes(cardCert))
                             .AddFile(0x0520, 0, ident)
                             .AddFile(0x0520, 1, bytes(certkit::Sign(card, ident)))
                             .AddFile(0x050E, 0, pellkit::test::BE32(kToday))
                             .AddFile(0x050E, 1, bytes(certkit::Sign(card, pellkit::test::BE32(kToday))))
                             .Image());
    const reg::TRegister both = Run(keys);
    ASSERT_EQ(both.rows.size(), 1u);
    EXPECT_EQ(both.rows[0].archives, 2);
    EXPECT_EQ(both.rows[0].latest.filename(), "z-no-ms.ddd");
    EXPECT_NE(both.rows[0].verdict, views::TVerdict::Valid);
}

TEST_F(Register, ProgressCancelAndFoldersThatCannotBeRead)
{
    for (int i = 0; i < 6; ++i)
        Write("card" + std::to_string(i), Card("ES0000000000000" + std::to_string(i), kToday - kDay));

    std::atomic<bool> cancel{false};
    std::vector<std::pair<std::size_t, std::size_t>> calls;
    reg::TRegisterOptions options;
    options.cacheFile = Cache();
    options.today = kToday;
    options.cancel = &cancel;
    options.progress = [&](std::size_t done, std::size_t total) {
        calls.emplace_back(done, total);
        if (done == 2)
            cancel = true;
    };
    const reg::TRegister cancelled = reg::BuildRegister({Folder()}, options);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.filesRead, 2u);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), (std::pair<std::size_t, std::size_t>{0, 6}));
    EXPECT_EQ(calls.back(), (std::pair<std::size_t, std::size_t>{2, 6}));

    // What was read before the cancel is kept; the rest is read now.
    cancel = false;
    calls.clear();
    const reg::TRegister rest = reg::BuildRegister({Folder(), Folder() / "missing", Folder()}, options);
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rest.filesRead, 4u);
    EXPECT_EQ(rest.filesCached, 2u);
    EXPECT_EQ(rest.rows.size(), 6u); // the folder given twice counts once
    EXPECT_EQ(calls.back(), (std::pair<std::size_t, std::size_t>{6, 6}));
    ASSERT_EQ(rest.unreadableFolders.size(), 1u);
    // All from the cache: the progress still reaches its end.
    calls.clear();
    EXPECT_EQ(reg::BuildRegister({Folder()}, options).filesCached, 6u);
    EXPECT_EQ(calls, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 6}, {6, 6}}));
    EXPECT_EQ(rest.unreadableFolders[0].folder, Folder() / "missing");
    EXPECT_FALSE(rest.unreadableFolders[0].reason.empty());
}

TEST_F(Register, HostileFilesAreBoundedAndNeverBreakTheRegister)
{
    // Larger than any download: only its head is read to tell what it claims to be.
    const fs::path big = Write("big.ddd", Bytes{0x76, 0x01});
    fs::resize_file(big, reg::kMaxRegisterFileSize + 1);
    const fs::path bigText = Write("big.txt", Bytes{'t', 'e', 'x', 't'});
    fs::resize_file(bigText, reg::kMaxRegisterFileSize + 1);
    // Blocks that announce more than is there, and an empty file.
    Write("liar.ddd", pellkit::test::MakeCardImage().AddFile(0x0520, 0, Bytes(10, 0x20), 0xFFFF).Image());
    Write("empty.ddd", Bytes{});
    Write("card.ddd", Card("ES00000000000001", kToday - kDay));

    const reg::TRegister r = Run();
    EXPECT_EQ(r.rows.size(), 1u);
    ASSERT_NE(Other(r, "big.ddd"), nullptr);
    EXPECT_EQ(Other(r, "big.ddd")->kind, reg::TOtherKind::Unreadable);
    EXPECT_NE(Other(r, "big.ddd")->reason.find("bytes"), std::string::npos);
    ASSERT_NE(Other(r, "big.txt"), nullptr);
    EXPECT_EQ(Other(r, "big.txt")->kind, reg::TOtherKind::NotTachograph);
    ASSERT_NE(Other(r, "liar.ddd"), nullptr);
    EXPECT_EQ(Other(r, "liar.ddd")->kind, reg::TOtherKind::Unreadable);
    EXPECT_NE(Other(r, "liar.ddd")->reason.find("cut short"), std::string::npos) << Other(r, "liar.ddd")->reason;
    ASSERT_NE(Other(r, "empty.ddd"), nullptr);
    EXPECT_EQ(Other(r, "empty.ddd")->kind, reg::TOtherKind::NotTachograph);
}
