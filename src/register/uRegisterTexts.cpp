#include "uRegisterTexts.h"

#include "uMessageCodes.h"
#include "uTranslation.h"
#include "uViewText.h"

namespace reg {

QString KindText(TEntityKind kind)
{
    return MessageText(kind == TEntityKind::DriverCard ? msg::RegisterKindDriverCard : msg::RegisterKindVehicleUnit);
}

QString DueText(TDueState due)
{
    switch (due) {
    case TDueState::Overdue: return MessageText(msg::RegisterOverdue);
    case TDueState::DueSoon: return MessageText(msg::RegisterDueSoon);
    case TDueState::Ok: break;
    }
    return MessageText(msg::RegisterDueOk);
}

QString VerdictText(views::TVerdict verdict)
{
    switch (verdict) {
    case views::TVerdict::Valid: return MessageText(msg::RegisterVerdictValid);
    case views::TVerdict::Invalid: return MessageText(msg::RegisterVerdictInvalid);
    case views::TVerdict::NotCheckable: break;
    }
    return MessageText(msg::RegisterVerdictNotCheckable);
}

QString OtherText(const TRegisterOther& other)
{
    switch (other.kind) {
    case TOtherKind::Generation2: return MessageText(msg::RegisterGeneration2);
    case TOtherKind::Unreadable: {
        QString text = MessageText(msg::RegisterUnreadable);
        // The reader's reason stays English, as everywhere it is shown.
        if (!other.reason.empty())
            text += QStringLiteral(": ") + QString::fromStdString(other.reason);
        return text;
    }
    case TOtherKind::NotTachograph: break;
    }
    return MessageText(msg::RegisterNotTachograph);
}

QString DownloadDateText(std::uint32_t time)
{
    if (time == 0)
        return MessageText(msg::RegisterNoDownload);
    return QString::fromStdString(views::IsoDate(time));
}

} // namespace reg
