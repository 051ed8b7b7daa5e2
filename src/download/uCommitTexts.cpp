#include "uCommitTexts.h"

#include "uContainerSplit.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QDir>

QString TextWithPath(const QString& text, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (text.contains(QStringLiteral("%1")))
        return text.arg(shown);
    return text.isEmpty() ? shown : text + QLatin1Char(' ') + shown;
}

QString EntryNoteText(const TEntryNote& note)
{
    const auto fill = [&](int code) { return MessageText(code).arg(note.number).arg(note.offset); };
    switch (note.why) {
    case TNotArchived::OverviewOnly: return fill(msg::NotArchivedOverviewOnly);
    case TNotArchived::NothingToStore: return fill(msg::NotArchivedNothingToStore);
    case TNotArchived::UnderMinimum: return fill(msg::NotArchivedUnderMinimum);
    case TNotArchived::PartsNotArchived: return fill(msg::NotArchivedSeparateParts);
    case TNotArchived::Unreadable: {
        const int kind = note.imageTag == container::kCardPart        ? msg::KindCardImage
                         : note.imageTag == container::kCardViaVuPart ? msg::KindCardImageViaVu
                                                                      : msg::KindVuDownload;
        return fill(msg::NotArchivedUnreadable).arg(MessageText(kind), note.detail);
    }
    }
    return {};
}

QString KeptText(TKeptIn where, const QString& path)
{
    switch (where) {
    case TKeptIn::Vexa: return MessageText(msg::KeptInVexa);
    case TKeptIn::Downloads: return TextWithPath(MessageText(msg::KeptInDownloads), path);
    case TKeptIn::SourceFile: return TextWithPath(MessageText(msg::KeptInSourceFile), path);
    case TKeptIn::Spool: return SpoolKeptText(path);
    }
    return {};
}

QString SpoolKeptText(const QString& path) { return TextWithPath(MessageText(msg::SpoolLeftover), path); }

QString EndNotConfirmedText(std::uint8_t endCommand)
{
    return MessageText(endCommand == 0x83 ? msg::DeleteNotConfirmed : msg::KeepNotConfirmed);
}

QString UnreadableKeptText(int entries, const QString& path)
{
    return MessageText(msg::UnreadableKept).arg(entries).arg(QDir::toNativeSeparators(path));
}
