#include "uContainer.h"

#include "u1bUtils.h"
#include "uCard1BFile.h"
#include "uMessageCodes.h"
#include "uTachy1BStruct.h"
#include "uTranslation.h"

#include <exception>
#include <optional>

namespace {

QString Decimal(std::uint32_t value) { return QString::number(value); }

// Reads the image a part holds, if it holds one; throws what the reader throws.
void LoadPartImage(const TContainerPart& part)
{
    if (part.tag == container::kOverviewPart) {
        TMemoryStream stream = TMemoryStream::Borrow(part.bytes);
        stream.SetPosition(2);
        TF7601 overview;
        overview.LoadFromStream(stream);
    } else if (part.tag == container::kCardViaVuPart || part.tag == container::kCardPart) {
        TMemoryStream stream = TMemoryStream::Borrow(part.bytes);
        stream.SetPosition(part.tag == container::kCardViaVuPart ? 2 : 0);
        T1BDriverCard card;
        card.LoadImage(stream);
    }
}

struct TEntryCheck {
    bool ok = false;
    // An image that could not be read ends the entry's walk right after its
    // part; the walk of the entries goes on from there.
    std::optional<std::size_t> resumeAt;
};

TEntryCheck ValidateEntry(IDebugLog& log, const TContainerEntry& entry, std::size_t dataSize)
{
    if (entry.length == 0)
        return {};
    for (const TContainerPart& part : entry.parts) {
        log.DebugLog(PartLine(part));
        if (!part.Complete()) {
            log.DebugLog(PartPastEndText(part, dataSize));
            return {};
        }
        try {
            LoadPartImage(part);
        } catch (const std::exception& e) {
            log.DebugLog(QString::fromUtf8(e.what()));
            const std::size_t after = part.offset + part.length;
            if (after != entry.end && after < dataSize)
                return {false, after};
            return {};
        }
    }
    switch (entry.stop) {
    case TSplitStop::BadPartTag:
        log.DebugLog(MessageText(msg::PartTagInvalid));
        return {};
    case TSplitStop::EntryPastEnd:
        log.DebugLog(QString::fromStdString(
            ETachoError("entry of " + std::to_string(entry.length) + " bytes runs past the end of the data",
                        entry.stopOffset)
                .what()));
        return {};
    default:
        return {true, {}};
    }
}

} // namespace

std::map<std::size_t, QString> FindUnreadableEntries(std::span<const std::uint8_t> data)
{
    std::map<std::size_t, QString> unreadable;
    for (const TContainerEntry& entry : SplitContainer(data).entries) {
        for (const TContainerPart& part : entry.parts) {
            if (!part.Complete())
                break;
            try {
                LoadPartImage(part);
            } catch (const std::exception& e) {
                unreadable[entry.offset] = QString::fromUtf8(e.what());
                break;
            }
        }
    }
    return unreadable;
}

QString PartPastEndText(const TContainerPart& part, std::size_t dataSize)
{
    const std::size_t left = dataSize > part.offset ? dataSize - part.offset : 0;
    return QString::fromStdString(ETachoError("part of " + std::to_string(part.length) + " bytes is longer than the " +
                                                  std::to_string(left) + " bytes left",
                                              part.offset)
                                      .what());
}

QString PartLine(const TContainerPart& part)
{
    return QStringLiteral("PRT ") + QString::number(part.Number()) + QStringLiteral(" : ") + Decimal(part.length);
}

int ValidateContainer(IDebugLog& log, TMemoryStream& stream)
{
    const std::span<const std::uint8_t> data = stream.Bytes();
    TContainerSplit split = SplitContainer(data);
    if (split.stop == TSplitStop::NoDataFileTag) {
        log.DebugLog(MessageText(msg::NoF0Tag));
        return -1;
    }
    log.DebugLog(QStringLiteral("F0 : ") + Decimal(split.declaredLength));

    int result = 0;
    // Looked up once: a data file may hold thousands of entries.
    const QString entryText = MessageText(msg::LogEntry);
    // Every restart begins further on in the data, so the walk ends.
    while (true) {
        std::optional<std::size_t> resumeAt;
        for (const TContainerEntry& entry : split.entries) {
            log.DebugLog(entryText + Decimal(entry.length));
            const TEntryCheck check = ValidateEntry(log, entry, data.size());
            if (!check.ok)
                result = -1;
            if (check.resumeAt) {
                resumeAt = check.resumeAt;
                break;
            }
        }
        if (resumeAt) {
            split = SplitEntries(data, *resumeAt);
            continue;
        }
        if (split.stop == TSplitStop::NoEntryTag) {
            log.DebugLog(MessageText(msg::NoF1Tag));
            return -1;
        }
        return result;
    }
}
