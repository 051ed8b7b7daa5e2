#include "uArchiveStore.h"

#include "u1bUtils.h"
#include "uCard1BFile.h"
#include "uContainer.h"
#include "uMessageCodes.h"
#include "uTachy1BStruct.h"
#include "uTranslation.h"

#include <exception>
#include <optional>
#include <utility>

namespace {

// Below this a card archive holds no real image (a VU response has no minimum).
constexpr std::size_t kMinimumArchive = 50;

// A catalogue text where the names take 8-bit (Latin-1) text; a language
// whose script Latin-1 cannot hold names in English instead.
std::string CatalogueText8(int code)
{
    QString text = MessageText(code);
    for (QChar c : text) {
        if (c.unicode() > 0xFF) {
            text = MessageTextIn(3, code);
            break;
        }
    }
    return text.toLatin1().toStdString();
}

struct TIdentity {
    std::uint8_t nation = 0;
    std::string cardNumber;
    std::string registration;
    std::string vin;
    TArchiveTime when;
};

} // namespace

TArchiveStore::TArchiveStore(TStoreOptions options, IStoreReporter& reporter)
    : options_(std::move(options)), reporter_(reporter)
{
    if (!options_.now)
        options_.now = ArchiveTimeNowLocal;
}

void TArchiveStore::Unsafe() { summary_.allSafe = false; }

void TArchiveStore::NotArchived(const TContainerEntry& entry, TNotArchived why, std::uint8_t tag, const QString& detail)
{
    ++summary_.notArchived;
    reporter_.EntryNotArchived({entryNumber_, entry.offset, tag, why, detail});
}

TStoreSummary TArchiveStore::StoreContainer(TMemoryStream& stream)
{
    summary_ = {};
    surname_.clear();
    firstNames_.clear();
    lastNumber_.clear();
    index_ = std::make_unique<TArchiveIndex>(options_.destination);
    entryNumber_ = 0;

    const std::span<const std::uint8_t> data = stream.Bytes();
    const TContainerSplit split = SplitContainer(data);
    if (split.stop == TSplitStop::NoDataFileTag) {
        reporter_.InformationBox(MessageText(msg::NoF0Tag));
        Unsafe();
        return summary_;
    }
    reporter_.StatusLine(QStringLiteral("F0 : ") + QString::number(split.declaredLength));

    // Looked up once: a data file may hold thousands of entries.
    const QString entryText = MessageText(msg::StatusEntry);
    for (const TContainerEntry& entry : split.entries) {
        reporter_.StatusLine(entryText + QString::number(entry.length));
        ++summary_.entries;
        ++entryNumber_;
        StoreEntry(entry, data.size());
        // The rest of the data is that part's own bytes: no tags to read there.
        if (entry.stop == TSplitStop::PartPastEnd)
            return summary_;
    }
    if (split.stop == TSplitStop::NoEntryTag) {
        reporter_.InformationBox(MessageText(msg::NoF1Tag));
        Unsafe();
    }
    return summary_;
}

void TArchiveStore::StoreEntry(const TContainerEntry& entry, std::size_t dataSize)
{
    if (entry.length == 0)
        return;

    // An entry that failed the full read gets no archive: it is kept whole
    // with the data file, where the owner puts it.
    if (const auto bad = options_.unreadable.find(entry.offset); bad != options_.unreadable.end()) {
        std::uint8_t imageTag = 0;
        for (const TContainerPart& part : entry.parts)
            if (part.tag == container::kOverviewPart || part.tag == container::kCardViaVuPart ||
                part.tag == container::kCardPart)
                imageTag = part.tag;
        NotArchived(entry, TNotArchived::Unreadable, imageTag, bad->second);
        return;
    }

    TIdentity id;
    id.when = options_.now();
    bool writeFlag = false;
    bool separateFlag = false;
    TMemoryStream archive;
    TMemoryStream separate;
    // A part that cannot be read spoils the entry, but the walk goes on to the
    // end of its parts so that the next entry starts where it should.
    std::optional<QString> damage;
    bool sawCard = false;
    bool sawOverview = false;

    for (const TContainerPart& part : entry.parts) {
        const std::uint8_t tag = part.tag;
        reporter_.StatusLine(PartLine(part));
        if (!part.Complete()) {
            damage = PartPastEndText(part, dataSize);
            break;
        }

        try {
            if (tag == container::kOverviewPart) {
                sawOverview = true;
                TMemoryStream stream = TMemoryStream::Borrow(part.bytes);
                stream.SetPosition(2);
                TF7601 overview;
                overview.LoadFromStream(stream);
                id.nation = overview.RegistrationNation();
                id.registration = Trim8(overview.RegistrationText());
                id.vin = overview.VinText();
                id.when = ArchiveTimeFromTimeReal(overview.CurrentDateTime());
            } else if (tag == container::kCardViaVuPart || tag == container::kCardPart) {
                TMemoryStream stream = TMemoryStream::Borrow(part.bytes);
                stream.SetPosition(tag == container::kCardViaVuPart ? 2 : 0);
                T1BDriverCard card;
                card.LoadIdentification(stream);
                sawCard = true;
                if (card.HasIdentification()) {
                    id.nation = card.IssuingNation();
                    id.cardNumber = card.CardNumberText();
                    surname_ = card.SurnameText();
                    firstNames_ = card.FirstNamesText();
                } else {
                    id.nation = 0;
                    id.cardNumber = CatalogueText8(msg::NoIdentificationNumber);
                    surname_ = firstNames_ = CatalogueText8(msg::NoIdentificationName);
                }
                const std::optional<std::uint32_t> downloaded = card.LastDownloadTime();
                id.when = tag == container::kCardPart && downloaded ? ArchiveTimeFromTimeReal(*downloaded)
                                                                     : options_.now();
            }
        } catch (const std::exception& e) {
            damage = QString::fromUtf8(e.what());
        }

        if (tag == container::kCardViaVuPart)
            archive.Clear();
        if (tag <= container::kCardPart)
            archive.Write(part.bytes);
        if (tag == container::kOverviewPart || container::IsSeparatePart(tag)) {
            separate.Write(part.bytes);
            separateFlag = separateFlag || container::IsSeparatePart(tag);
        }
        if (container::IsVuResponsePart(tag))
            writeFlag = true;
    }
    if (entry.stop == TSplitStop::BadPartTag) {
        reporter_.InformationBox(MessageText(msg::PartTagInvalid));
        Unsafe();
        return;
    }
    if (entry.stop == TSplitStop::EntryPastEnd)
        damage = QStringLiteral("the entry runs past the end of the data");

    if (damage) {
        reporter_.MessageBox(MessageText(msg::EntryUnreadable).arg(*damage));
        Unsafe();
        return;
    }

    // A card image whose number is blank would pass for a VU entry without
    // responses and vanish; it keeps the stand-in number instead.
    if (sawCard && id.cardNumber.empty())
        id.cardNumber = CatalogueText8(msg::NoIdentificationNumber);

    std::string name;
    std::string separateName;
    if (!id.cardNumber.empty()) {
        name = CardArchiveName(id.nation, id.cardNumber, surname_, firstNames_, id.when, options_.cardFormat);
        writeFlag = true;
    } else {
        name = VehicleArchiveName(id.nation, id.registration, id.vin, id.when, options_.vehicleFormat);
        if (separateFlag)
            separateName = SpeedArchiveName(id.registration, id.vin, id.when);
    }

    // Each archive on its own: a failed main archive must not cost the separate one.
    const auto attempt = [&](const std::string& shownName, auto&& write) {
        try {
            write();
        } catch (const std::exception& e) {
            reporter_.MessageBox(MessageText(msg::ArchiveWriteFailed) + QLatin1Char(' ') + Latin1Name(shownName) +
                                 QStringLiteral(": ") + QString::fromUtf8(e.what()));
            Unsafe();
        }
    };
    archive.SetPosition(0);
    if (writeFlag) {
        attempt(name, [&] {
            if (!StoreArchive(name, archive))
                NotArchived(entry, TNotArchived::UnderMinimum);
        });
    } else if (!separateFlag) {
        NotArchived(entry, sawOverview ? TNotArchived::OverviewOnly : TNotArchived::NothingToStore);
    }
    if (separateFlag) {
        // A card entry has no name for them: they stay in the data file.
        if (separateName.empty())
            NotArchived(entry, TNotArchived::PartsNotArchived);
        else
            attempt(separateName, [&] { WriteArchive(separate, separateName); });
    }
}

bool TArchiveStore::StoreArchive(const std::string& name, TMemoryStream& archive)
{
    archive.SetPosition(0);
    const std::span<const std::uint8_t> bytes = archive.Bytes();
    if (!bytes.empty() && bytes[0] == 0x76) {
        // A lone 76h reads its missing second byte as zero.
        if (bytes.size() >= 2 && bytes[1] == 0x06) {
            TMemoryStream image = TMemoryStream::Borrow(bytes.subspan(2));
            if (image.Size() < kMinimumArchive)
                return false;
            WriteArchive(image, name);
            return true;
        }
        WriteArchive(archive, name);
        return true;
    }
    if (archive.Size() < kMinimumArchive)
        return false;
    WriteArchive(archive, name);
    return true;
}

void TArchiveStore::WriteArchive(TMemoryStream& archive, const std::string& name)
{
    TArchiveReport report;
    report.name = Latin1Name(name);
    // Entries of one name go to NAME, NAME_2, ...: each search goes on from
    // the last, or thousands of tiny entries would take quadratic time.
    int& last = lastNumber_[report.name];
    const TWriteResult result = WriteArchiveFile(options_.destination, report.name, archive.Bytes(),
                                                 options_.contentWriter, last, index_.get());
    if (result.number > 0)
        last = result.number;
    report.outcome = result.outcome;
    report.fileName = result.fileName;
    report.bytes = static_cast<qint64>(archive.Size());
    switch (result.outcome) {
    case TArchiveOutcome::Written: ++summary_.written; break;
    case TArchiveOutcome::SkippedIdentical: ++summary_.skippedIdentical; break;
    case TArchiveOutcome::WrittenUnderOtherName: ++summary_.writtenUnderOtherName; break;
    case TArchiveOutcome::Failed: ++summary_.failed; break;
    }
    reporter_.ArchiveStored(report);
    if (result.outcome == TArchiveOutcome::Failed)
        throw EArchiveWrite(result.error.toStdString());
}
