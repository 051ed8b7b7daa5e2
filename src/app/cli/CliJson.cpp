#include "CliJson.h"

#include "uCodeNames.h"
#include "uVerifyView.h"
#include "uViewText.h"
#include "uVuView.h"

#include <QJsonArray>

#include <string>

using namespace views;

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A name for a code, or null for a code without one.
QJsonValue Name(const std::string& name) { return name.empty() ? QJsonValue() : QJsonValue(Text(name)); }

// 0 is no time in tachograph records.
QJsonValue Time(std::uint32_t timeReal) { return timeReal == 0 ? QJsonValue() : QJsonValue(Text(IsoDateTime(timeReal))); }

QJsonValue Date(const std::optional<std::string>& date) { return date ? QJsonValue(Text(*date)) : QJsonValue(); }

QString Hex(std::uint32_t value, int digits) { return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper(); }

QJsonObject Nation(std::uint8_t code, const std::string& alpha)
{
    return {{"code", code}, {"alpha", Name(alpha)}};
}

QJsonValue Card(const std::optional<TCardNumberView>& card)
{
    if (!card)
        return QJsonValue();
    return QJsonObject{{"type", card->cardType},
                       {"typeName", Name(CardTypeName(card->cardType))},
                       {"nation", Nation(card->nation, card->nationAlpha)},
                       {"number", Text(card->number)}};
}

QJsonObject Registration(const TRegistrationView& r)
{
    return {{"nation", Nation(r.nation, r.nationAlpha)}, {"number", Text(r.number)}};
}

QJsonObject ControlType(const TControlTypeView& t)
{
    return {{"code", t.code},
            {"cardDownloaded", t.cardDownloaded},
            {"vuDownloaded", t.vuDownloaded},
            {"printed", t.printed},
            {"displayed", t.displayed}};
}

QJsonObject Totals(const TActivityTotals& t)
{
    return {{"breakRestMinutes", t.breakRest},
            {"availabilityMinutes", t.availability},
            {"workMinutes", t.work},
            {"drivingMinutes", t.driving},
            {"unknownMinutes", t.unknown}};
}

QJsonArray Spans(const std::vector<TActivitySpan>& spans)
{
    QJsonArray out;
    for (const TActivitySpan& span : spans)
        out.append(SpanJson(span));
    return out;
}

QJsonObject Place(const TPlaceView& p)
{
    return {{"time", Time(p.time)},
            {"entryType", p.entryType},
            {"entry", Name(PlaceEntryName(p.entryType))},
            {"country", Nation(p.country, p.countryAlpha)},
            {"region", p.region},
            {"odometerKm", static_cast<qint64>(p.odometerKm)}};
}

QJsonObject Condition(const TSpecificConditionView& c)
{
    return {{"time", Time(c.time)}, {"type", c.type}, {"typeName", Name(SpecificConditionName(c.type))}};
}

template <class List, class Convert> QJsonArray Array(const List& list, Convert convert)
{
    QJsonArray out;
    for (const auto& item : list)
        out.append(convert(item));
    return out;
}

QJsonObject CardIncident(const TCardIncidentView& e)
{
    return {{"type", e.type},
            {"typeName", Name(EventFaultTypeName(e.type))},
            {"begin", Time(e.begin)},
            {"end", Time(e.end)},
            {"vehicle", Registration(e.vehicle)}};
}

QJsonObject VuIncident(const TVuIncidentView& e)
{
    QJsonObject o{{"type", e.type},
                  {"typeName", Name(EventFaultTypeName(e.type))},
                  {"purpose", e.purpose},
                  {"purposeName", Name(EventFaultPurposeName(e.purpose))},
                  {"begin", Time(e.begin)},
                  {"end", Time(e.end)},
                  {"driverCardBegin", Card(e.cards[0])},
                  {"coDriverCardBegin", Card(e.cards[1])},
                  {"driverCardEnd", Card(e.cards[2])},
                  {"coDriverCardEnd", Card(e.cards[3])}};
    if (e.similarEvents)
        o.insert("similarEvents", *e.similarEvents);
    return o;
}

QJsonObject SerialNumber(const TSerialNumberView& s)
{
    return {{"serialNumber", static_cast<qint64>(s.serialNumber)},
            {"monthYear", Hex(s.monthYear, 4)},
            {"equipmentType", s.equipmentType},
            {"manufacturerCode", s.manufacturerCode}};
}

QJsonObject Calibration(const TCalibrationView& c)
{
    return {{"purpose", c.purpose},
            {"purposeName", Name(CalibrationPurposeName(c.purpose))},
            {"workshopName", Text(c.workshopName)},
            {"workshopAddress", Text(c.workshopAddress)},
            {"workshopCard", Card(c.workshopCard)},
            {"workshopCardExpiry", Time(c.workshopCardExpiry)},
            {"vin", Text(c.vin)},
            {"registration", Registration(c.registration)},
            {"wImpulsesPerKm", c.wImpulsesPerKm},
            {"kImpulsesPerKm", c.kImpulsesPerKm},
            {"tyreCircumferenceMm", c.tyreCircumferenceMm},
            {"tyreSize", Text(c.tyreSize)},
            {"authorisedSpeedKmh", c.authorisedSpeedKmh},
            {"oldOdometerKm", static_cast<qint64>(c.oldOdometerKm)},
            {"newOdometerKm", static_cast<qint64>(c.newOdometerKm)},
            {"oldTime", Time(c.oldTime)},
            {"newTime", Time(c.newTime)},
            {"nextCalibration", Time(c.nextCalibration)}};
}

QJsonValue Technical(const std::optional<TVuTechnicalView>& t)
{
    if (!t)
        return QJsonValue();
    return QJsonObject{
        {"vuIdentification",
         QJsonObject{{"manufacturerName", Text(t->manufacturerName)},
                     {"manufacturerAddress", Text(t->manufacturerAddress)},
                     {"partNumber", Text(t->partNumber)},
                     {"serialNumber", SerialNumber(t->serialNumber)},
                     {"softwareVersion", Text(t->softwareVersion)},
                     {"softwareInstallation", Time(t->softwareInstallation)},
                     {"manufacturingDate", Time(t->manufacturingDate)},
                     {"approvalNumber", Text(t->approvalNumber)}}},
        {"sensorPaired", QJsonObject{{"serialNumber", SerialNumber(t->sensorSerialNumber)},
                                     {"approvalNumber", Text(t->sensorApprovalNumber)},
                                     {"firstPairing", Time(t->sensorFirstPairing)}}},
        {"calibrations", Array(t->calibrations, Calibration)},
    };
}

const char* StateName(TCertificateCheck::TState state)
{
    switch (state) {
    case TCertificateCheck::TState::Valid: return "valid";
    case TCertificateCheck::TState::Invalid: return "invalid";
    case TCertificateCheck::TState::NotOpened: return "not opened";
    case TCertificateCheck::TState::Missing: return "missing";
    case TCertificateCheck::TState::Malformed: break;
    }
    return "malformed";
}

QJsonValue ReasonName(TSignedPartCheck::TReason reason)
{
    switch (reason) {
    case TSignedPartCheck::TReason::None: return QJsonValue();
    case TSignedPartCheck::TReason::NoValidCertificate: return "no valid certificate";
    case TSignedPartCheck::TReason::SignatureMissing: return "signature missing";
    case TSignedPartCheck::TReason::NoDataBlock: return "no data block";
    case TSignedPartCheck::TReason::CutShort: return "cut short";
    case TSignedPartCheck::TReason::Unreadable: return "unreadable";
    case TSignedPartCheck::TReason::Generation2: return "generation 2";
    }
    return QJsonValue();
}

const char* ProblemName(TVerificationProblem::TKind kind)
{
    switch (kind) {
    case TVerificationProblem::TKind::ForeignLayout: return "foreign layout";
    case TVerificationProblem::TKind::Unreadable: return "unreadable";
    case TVerificationProblem::TKind::NoSignedPart: break;
    }
    return "nothing signed";
}

QJsonValue Text(const std::string& text, bool nullWhenEmpty)
{
    return nullWhenEmpty && text.empty() ? QJsonValue() : QJsonValue(Text(text));
}

} // namespace

QJsonObject SpanJson(const TActivitySpan& span)
{
    return {{"start", Text(IsoDateTime(span.start))},
            {"end", Text(IsoDateTime(span.end))},
            {"minutes", span.Minutes()},
            {"activity", ActivityName(span.activity)},
            {"slot", SlotName(span.slot)},
            {"crew", span.crew},
            {"cardInserted", span.cardInserted},
            {"manualEntry", span.manualEntry}};
}

QJsonObject CardJson(const TCardView& c)
{
    QJsonValue identification;
    if (c.hasIdentification) {
        const TCardIdentityView& id = c.identity;
        identification = QJsonObject{
            {"cardNumber", Text(id.cardNumber)},
            {"issuingNation", Nation(id.issuingNation, id.issuingNationAlpha)},
            {"issuingAuthority", Text(id.issuingAuthority)},
            {"issueDate", Time(id.issueDate)},
            {"validityBegin", Time(id.validityBegin)},
            {"expiryDate", Time(id.expiryDate)},
            {"holder", QJsonObject{{"surname", Text(id.surname)},
                                   {"firstNames", Text(id.firstNames)},
                                   {"birthDate", Date(id.birthDate)},
                                   {"preferredLanguage", Text(id.preferredLanguage)}}},
        };
    }
    QJsonValue licence;
    if (c.licence)
        licence = QJsonObject{{"issuingAuthority", Text(c.licence->issuingAuthority)},
                              {"issuingNation", Nation(c.licence->issuingNation, c.licence->issuingNationAlpha)},
                              {"number", Text(c.licence->number)}};
    QJsonValue control;
    if (c.lastControl)
        control = QJsonObject{{"time", Time(c.lastControl->time)},
                              {"type", ControlType(c.lastControl->type)},
                              {"controlCard", Card(c.lastControl->controlCard)},
                              {"vehicle", Registration(c.lastControl->vehicle)},
                              {"downloadPeriodBegin", Time(c.lastControl->downloadPeriodBegin)},
                              {"downloadPeriodEnd", Time(c.lastControl->downloadPeriodEnd)}};
    QJsonValue currentUse;
    if (c.currentUse)
        currentUse = QJsonObject{{"sessionOpenTime", Time(c.currentUse->sessionOpenTime)},
                                 {"vehicle", Registration(c.currentUse->vehicle)}};

    return {
        {"identification", identification},
        {"lastCardDownload", c.lastDownload ? Time(*c.lastDownload) : QJsonValue()},
        {"drivingLicence", licence},
        {"vehiclesUsed", Array(c.vehicles,
                               [](const TCardVehicleView& v) {
                                   return QJsonObject{{"firstUse", Time(v.firstUse)},
                                                      {"lastUse", Time(v.lastUse)},
                                                      {"odometerBeginKm", static_cast<qint64>(v.odometerBeginKm)},
                                                      {"odometerEndKm", static_cast<qint64>(v.odometerEndKm)},
                                                      {"registration", Registration(v.registration)},
                                                      {"vuDataBlockCounter", Hex(v.vuDataBlockCounter, 4)}};
                               })},
        {"places", Array(c.places, Place)},
        {"events", Array(c.events, CardIncident)},
        {"faults", Array(c.faults, CardIncident)},
        {"lastControl", control},
        {"specificConditions", Array(c.specificConditions, Condition)},
        {"currentUsage", currentUse},
        {"activities", Array(c.activities,
                             [](const TCardActivityDay& d) {
                                 return QJsonObject{{"date", Text(IsoDate(d.date))},
                                                    {"presenceCounter", Hex(d.presenceCounter, 4)},
                                                    {"distanceKm", d.distanceKm},
                                                    {"totals", Totals(d.totals)},
                                                    {"spans", Spans(d.spans)}};
                             })},
    };
}

QJsonObject VuJson(const TVuView& v)
{
    QJsonObject o;
    if (v.hasOverview) {
        o.insert("vehicle", QJsonObject{{"vin", Text(v.vin)}, {"registration", Registration(v.registration)}});
        o.insert("currentDateTime", Time(v.currentDateTime));
        o.insert("downloadablePeriod",
                 QJsonObject{{"begin", Time(v.downloadableBegin)}, {"end", Time(v.downloadableEnd)}});
        o.insert("cardSlots", QJsonObject{{"code", v.cardSlotsStatus},
                                          {"driver", Name(SlotCardName(v.driverSlotCard))},
                                          {"coDriver", Name(SlotCardName(v.coDriverSlotCard))}});
        o.insert("lastDownload", QJsonObject{{"time", Time(v.lastDownload.time)},
                                             {"card", Card(v.lastDownload.card)},
                                             {"companyOrWorkshop", Text(v.lastDownload.companyOrWorkshop)}});
    } else {
        for (const char* key : {"vehicle", "currentDateTime", "downloadablePeriod", "cardSlots", "lastDownload"})
            o.insert(key, QJsonValue());
    }
    o.insert("companyLocks", Array(v.companyLocks, [](const TCompanyLockView& l) {
                 return QJsonObject{{"lockIn", Time(l.lockIn)},
                                    {"lockOut", Time(l.lockOut)},
                                    {"companyName", Text(l.companyName)},
                                    {"companyAddress", Text(l.companyAddress)},
                                    {"companyCard", Card(l.companyCard)}};
             }));
    o.insert("controls", Array(v.controls, [](const TVuControlView& c) {
                 return QJsonObject{{"time", Time(c.time)},
                                    {"type", ControlType(c.type)},
                                    {"controlCard", Card(c.controlCard)},
                                    {"downloadPeriodBegin", Time(c.downloadPeriodBegin)},
                                    {"downloadPeriodEnd", Time(c.downloadPeriodEnd)}};
             }));
    o.insert("cardInsertions", Array(v.cardInsertions, [](const TCardInsertionView& c) {
                 return QJsonObject{{"surname", Text(c.surname)},
                                    {"firstNames", Text(c.firstNames)},
                                    {"card", Card(c.card)},
                                    {"cardExpiry", Date(c.cardExpiry)},
                                    {"slot", SlotName(c.slot)},
                                    {"insertion", Time(c.insertion)},
                                    {"withdrawal", Time(c.withdrawal)},
                                    {"odometerAtInsertionKm", static_cast<qint64>(c.odometerAtInsertionKm)},
                                    {"odometerAtWithdrawalKm", static_cast<qint64>(c.odometerAtWithdrawalKm)},
                                    {"previousVehicle", QJsonObject{{"registration", Registration(c.previousVehicle)},
                                                                    {"withdrawal", Time(c.previousWithdrawal)}}},
                                    {"manualEntry", c.manualEntry}};
             }));
    o.insert("places", Array(v.places, [](const TVuPlaceView& p) {
                 QJsonObject place = Place(p.place);
                 place.insert("card", Card(p.card));
                 return place;
             }));
    o.insert("specificConditions", Array(v.specificConditions, Condition));
    o.insert("activities", Array(v.activities, [](const TVuActivityDay& d) {
                 QJsonArray bySlot;
                 for (const TSlotActivity& s : d.perSlot)
                     bySlot.append(QJsonObject{{"slot", SlotName(s.slot)}, {"totals", Totals(s.totals)}, {"spans", Spans(s.spans)}});
                 return QJsonObject{{"date", Text(IsoDate(d.date))},
                                    {"odometerMidnightKm", static_cast<qint64>(d.odometerMidnightKm)},
                                    {"distanceKm", d.distanceKm ? QJsonValue(static_cast<qint64>(*d.distanceKm)) : QJsonValue()},
                                    {"slots", bySlot}};
             }));
    o.insert("faults", Array(v.faults, VuIncident));
    o.insert("events", Array(v.events, VuIncident));
    o.insert("overSpeedingControl",
             v.overSpeedingControl ? QJsonValue(QJsonObject{{"lastControl", Time(v.overSpeedingControl->lastControl)},
                                                            {"firstOverSpeedingSince", Time(v.overSpeedingControl->firstSince)},
                                                            {"numberSince", v.overSpeedingControl->numberSince}})
                                   : QJsonValue());
    o.insert("overSpeedingEvents", Array(v.overSpeedingEvents, [](const TOverSpeedingEventView& e) {
                 return QJsonObject{{"type", e.type},
                                    {"typeName", Name(EventFaultTypeName(e.type))},
                                    {"purpose", e.purpose},
                                    {"begin", Time(e.begin)},
                                    {"end", Time(e.end)},
                                    {"maxSpeedKmh", e.maxSpeedKmh},
                                    {"averageSpeedKmh", e.averageSpeedKmh},
                                    {"driverCardBegin", Card(e.card)},
                                    {"similarEvents", e.similarEvents}};
             }));
    o.insert("timeAdjustments", Array(v.timeAdjustments, [](const TTimeAdjustmentView& t) {
                 return QJsonObject{{"oldTime", Time(t.oldTime)},
                                    {"newTime", Time(t.newTime)},
                                    {"workshopName", Text(t.workshopName)},
                                    {"workshopAddress", Text(t.workshopAddress)},
                                    {"workshopCard", Card(t.workshopCard)}};
             }));
    o.insert("detailedSpeed", Array(v.detailedSpeed, [](const TSpeedMinuteView& m) {
                 QJsonArray speeds;
                 for (std::uint8_t s : m.speedsKmh)
                     speeds.append(s);
                 return QJsonObject{{"begin", Time(m.begin)}, {"speedsKmh", speeds}};
             }));
    o.insert("technicalData", Technical(v.technical));
    o.insert("blocks", Array(v.blocks, [](const TVuBlockView& b) {
                 return QJsonObject{{"kind", QStringLiteral("76 ") + Hex(b.trep, 2)},
                                    {"name", Name(b.name)},
                                    {"offset", static_cast<qint64>(b.offset)},
                                    {"size", static_cast<qint64>(b.size)},
                                    {"day", b.day ? QJsonValue(Text(IsoDate(*b.day))) : QJsonValue()}};
             }));
    return o;
}

QJsonObject VerificationJson(const TVerification& v)
{
    return {
        {"verdict", VerdictName(v.Overall())},
        {"certificates", Array(v.certificates, [](const TCertificateCheck& c) {
             return QJsonObject{{"subject", Text(c.subject)},
                                {"verdict", VerdictName(c.Verdict())},
                                {"state", StateName(c.state)},
                                {"authorityReference", Text(c.authorityReference, true)},
                                {"holderReference", Text(c.holderReference, true)},
                                {"signedBy", Text(c.signedBy, true)},
                                {"root", Text(c.root, true)}};
         })},
        {"signedParts", Array(v.parts, [](const TSignedPartCheck& p) {
             return QJsonObject{{"kind", Text(p.kind)},
                                {"name", Text(p.name, true)},
                                {"day", p.day ? QJsonValue(Text(IsoDate(*p.day))) : QJsonValue()},
                                {"index", p.index},
                                {"offset", static_cast<qint64>(p.offset)},
                                {"length", static_cast<qint64>(p.length)},
                                {"verdict", VerdictName(p.verdict)},
                                {"reason", ReasonName(p.reason)},
                                {"detail", Text(p.detail, true)}};
         })},
        {"problems", Array(v.problems, [](const TVerificationProblem& p) {
             return QJsonObject{{"subject", Text(p.subject)}, {"kind", ProblemName(p.kind)}, {"detail", Text(p.detail, true)}};
         })},
    };
}
