#include "uContainer.h"

#include "u1bUtils.h"
#include "uCard1BFile.h"
#include "uMessageCodes.h"
#include "uTachy1BStruct.h"
#include "uTranslation.h"

#include <exception>

std::uint32_t ReadContainerLength(TMemoryStream& stream)
{
    std::uint8_t first = 0;
    ReadByte(stream, first);
    if (first < 0x80)
        return first;
    // Bits 4 to 6 are ignored; with more than four bytes the leading ones
    // are shifted out of the 32-bit value.
    const int count = first & 0x0F;
    std::uint32_t length = 0;
    for (int i = 0; i < count; ++i) {
        std::uint8_t byte = 0;
        ReadByte(stream, byte);
        length = (length << 8) | byte;
    }
    return length;
}

bool ReadContainerTag(TMemoryStream& stream, std::uint8_t& tag)
{
    if (stream.Remaining() == 0)
        return false;
    ReadByte(stream, tag);
    return true;
}

TMemoryStream ReadContainerPart(TMemoryStream& stream, std::uint32_t length)
{
    if (length > stream.Remaining())
        throw ETachoError("part of " + std::to_string(length) + " bytes is longer than the " +
                              std::to_string(stream.Remaining()) + " bytes left",
                          stream.Position());
    const auto begin = stream.Bytes().begin() + static_cast<std::ptrdiff_t>(stream.Position());
    TMemoryStream part(std::vector<std::uint8_t>(begin, begin + length));
    stream.SetPosition(stream.Position() + length);
    return part;
}

namespace {

QString Decimal(std::uint32_t value) { return QString::number(value); }

// One entry: true when every part could be read and every image loaded.
bool ValidateEntry(IDebugLog& log, TMemoryStream& stream, std::uint32_t length)
{
    if (length == 0)
        return false;
    const std::size_t start = stream.Position();
    const std::size_t end = start + length;
    try {
        while (true) {
            std::uint8_t tag = 0;
            if (!ReadContainerTag(stream, tag))
                throw ETachoError("entry of " + std::to_string(length) + " bytes runs past the end of the data",
                                  stream.Position());
            if (!container::IsPartTag(tag)) {
                log.DebugLog(MessageText(msg::PartTagInvalid));
                return false;
            }
            const std::uint32_t partLength = ReadContainerLength(stream);
            log.DebugLog(QStringLiteral("PRT ") + QString::number(container::PartNumber(tag)) + QStringLiteral(" : ") +
                         Decimal(partLength));
            TMemoryStream part = ReadContainerPart(stream, partLength);
            if (tag == container::kOverviewPart) {
                part.SetPosition(2);
                TF7601 overview;
                overview.LoadFromStream(part);
            } else if (tag == container::kCardViaVuPart || tag == container::kCardPart) {
                part.SetPosition(tag == container::kCardViaVuPart ? 2 : 0);
                T1BDriverCard card;
                card.LoadImage(part);
            }
            if (stream.Position() >= end)
                return true;
        }
    } catch (const std::exception& e) {
        log.DebugLog(QString::fromUtf8(e.what()));
        return false;
    }
}

} // namespace

int ValidateContainer(IDebugLog& log, TMemoryStream& stream)
{
    stream.SetPosition(0);
    std::uint8_t tag = 0;
    if (!ReadContainerTag(stream, tag) || tag != container::kDataFileTag) {
        log.DebugLog(MessageText(msg::NoF0Tag));
        return -1;
    }
    log.DebugLog(QStringLiteral("F0 : ") + Decimal(ReadContainerLength(stream)));

    int result = 0;
    // Looked up once: a data file may hold thousands of entries.
    const QString entryText = MessageText(msg::LogEntry);
    // Every round consumes at least the entry tag, so the walk ends.
    while (true) {
        if (!ReadContainerTag(stream, tag) || tag != container::kEntryTag) {
            log.DebugLog(MessageText(msg::NoF1Tag));
            return -1;
        }
        const std::uint32_t length = ReadContainerLength(stream);
        log.DebugLog(entryText + Decimal(length));
        if (!ValidateEntry(log, stream, length))
            result = -1;
        if (stream.Position() >= stream.Size())
            return result;
    }
}
