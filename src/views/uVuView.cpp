#include "uVuView.h"

#include "uTachy1BDownload.h"
#include "uViewText.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace views {

namespace {

std::string CardKey(const std::optional<TCardNumberView>& card)
{
    return card ? std::to_string(card->nation) + "/" + card->number : std::string();
}

TSerialNumberView SerialNumber(const TExtendedSerialNumber& s)
{
    return {s.serialNumber, s.monthYear, s.type, s.manufacturerCode};
}

void AddOverview(TVuView& view, const TF7601& overview)
{
    view.hasOverview = true;
    view.vin = PlainText(overview.VehicleIdentificationNumber());
    view.registration = RegistrationView(overview.VehicleRegistrationIdentification());
    view.currentDateTime = overview.CurrentDateTime();
    view.downloadableBegin = overview.VuDownloadablePeriode().minDownloadableTime;
    view.downloadableEnd = overview.VuDownloadablePeriode().maxDownloadableTime;
    view.cardSlotsStatus = overview.CardSlotStatus();
    view.driverSlotCard = overview.CardSlotStatus() & 0x0F;
    view.coDriverSlotCard = static_cast<std::uint8_t>(overview.CardSlotStatus() >> 4);
    const TVuDownloadActivityData& last = overview.VuDownloadActivityData();
    view.lastDownload = {last.downloadingTime, CardNumberView(*last.fullCardNumber),
                         CodePageText(last.companyOrWorkshopName)};
    for (const auto& lock : overview.VuCompanyLocksData().records)
        view.companyLocks.push_back({lock->lockInTime, lock->lockOutTime, CodePageText(lock->companyName),
                                     CodePageText(lock->companyAddress), CardNumberView(*lock->companyCardNumber)});
    for (const auto& control : overview.VuControlActivityData().records)
        view.controls.push_back({ControlTypeView(control->controlType), control->controlTime,
                                 CardNumberView(*control->controlCardNumber), control->downloadPeriodeBeginTime,
                                 control->downloadPeriodeEndTime});
}

// Records of the days' blocks, each once.
struct DayRecords {
    std::set<std::tuple<std::string, std::uint32_t, int>> insertions;
    std::set<std::tuple<std::string, std::uint32_t, int>> places;
    std::set<std::pair<std::uint32_t, int>> conditions;
};

void AddDay(TVuView& view, DayRecords& seen, const TF7602& day)
{
    for (const auto& r : day.vuCardIWData->records) {
        TCardInsertionView v;
        v.surname = CodePageText(r->cardHolderName->holderSurname);
        v.firstNames = CodePageText(r->cardHolderName->holderFirstNames);
        v.card = CardNumberView(*r->fullCardNumber);
        v.cardExpiry = BcdDate(r->cardExpiryDate);
        v.insertion = r->cardInsertionTime;
        v.withdrawal = r->cardWithdrawalTime;
        v.odometerAtInsertionKm = OdometerKm(r->vehicleOdometerValueAtInsertion);
        v.odometerAtWithdrawalKm = OdometerKm(r->vehicleOdometerValueAtWithdrawal);
        v.slot = r->cardSlotNumber == 1 ? TSlot::CoDriver : TSlot::Driver;
        v.previousVehicle = RegistrationView(*r->previousVehicleInfo->vehicleRegistrationIdentification);
        v.previousWithdrawal = r->previousVehicleInfo->cardWithdrawalTime;
        v.manualEntry = r->manualInputFlag == 1;
        if (seen.insertions.emplace(CardKey(v.card), v.insertion, r->cardSlotNumber).second)
            view.cardInsertions.push_back(std::move(v));
    }
    for (const auto& r : day.vuPlaceDailyWorkPeriodData->records) {
        const TPlaceRecord& p = *r->placeRecord;
        TVuPlaceView v{CardNumberView(*r->fullCardNumber),
                       {p.entryTime, p.entryTypeDailyWorkPeriod, p.dailyWorkPeriodCountry,
                        NationAlpha(p.dailyWorkPeriodCountry), p.dailyWorkPeriodRegion, OdometerKm(p.vehicleOdometerValue)}};
        if (seen.places.emplace(CardKey(v.card), p.entryTime, p.entryTypeDailyWorkPeriod).second)
            view.places.push_back(std::move(v));
    }
    for (const auto& r : day.vuSpecificConditionData->records)
        if (seen.conditions.emplace(r->entryTime, r->specificConditionType).second)
            view.specificConditions.push_back({r->entryTime, r->specificConditionType});
}

TVuIncidentView Incident(const TVuIncidentRecord& r)
{
    TVuIncidentView v;
    v.type = r.type;
    v.purpose = r.recordPurpose;
    v.begin = r.beginTime;
    v.end = r.endTime;
    for (std::size_t i = 0; i < v.cards.size(); ++i)
        v.cards[i] = CardNumberView(*r.cardNumbers[i]);
    return v;
}

void AddEventsAndFaults(TVuView& view, const TF7603& block)
{
    for (const auto& r : block.vuFaultData->records)
        view.faults.push_back(Incident(*r));
    for (const auto& r : block.vuEventData->records) {
        view.events.push_back(Incident(*r));
        view.events.back().similarEvents = r->similarEventsNumber;
    }
    const TVuOverSpeedingControlData& control = *block.vuOverSpeedingControlData;
    view.overSpeedingControl = TOverSpeedingControlView{control.lastOverspeedControlTime, control.firstOverspeedSince,
                                                        control.numberOfOverspeedSince};
    for (const auto& r : block.vuOverSpeedingEventData->records)
        view.overSpeedingEvents.push_back({r->eventType, r->eventRecordPurpose, r->eventBeginTime, r->eventEndTime,
                                           r->maxSpeedValue, r->averageSpeedValue,
                                           CardNumberView(*r->cardNumberDriverSlotBegin), r->similarEventsNumber});
    for (const auto& r : block.vuTimeAdjustmentData->records)
        view.timeAdjustments.push_back({r->oldTimeValue, r->newTimeValue, CodePageText(r->workshopName),
                                        CodePageText(r->workshopAddress), CardNumberView(*r->workshopCardNumber)});
}

void AddSpeed(TVuView& view, const TF7604& block)
{
    for (const auto& r : block.vuDetailedSpeedData->records) {
        TSpeedMinuteView minute;
        minute.begin = r->speedBlockBeginDate;
        std::copy(std::begin(r->speedsPerSecond), std::end(r->speedsPerSecond), minute.speedsKmh.begin());
        view.detailedSpeed.push_back(minute);
    }
}

TCalibrationView Calibration(const TVuCalibrationRecord& r)
{
    TCalibrationView v;
    v.purpose = r.calibrationPurpose;
    v.workshopName = CodePageText(r.workshopName);
    v.workshopAddress = CodePageText(r.workshopAddress);
    v.workshopCard = CardNumberView(*r.workshopCardNumber);
    v.workshopCardExpiry = r.workshopCardExpiryDate;
    v.vin = PlainText(r.vehicleIdentificationNumber);
    v.registration = RegistrationView(*r.vehicleRegistrationIdentification);
    v.wImpulsesPerKm = r.wVehicleCharacteristicConstant;
    v.kImpulsesPerKm = r.kConstantOfRecordingEquipment;
    v.tyreCircumferenceMm = r.lTyreCircumference / 8.0;
    v.tyreSize = PlainText(r.tyreSize);
    v.authorisedSpeedKmh = r.authorisedSpeed;
    v.oldOdometerKm = OdometerKm(r.oldOdometerValue);
    v.newOdometerKm = OdometerKm(r.newOdometerValue);
    v.oldTime = r.oldTimeValue;
    v.newTime = r.newTimeValue;
    v.nextCalibration = r.nextCalibrationDate;
    return v;
}

void AddTechnical(TVuView& view, const TF7605& block)
{
    // A second 76 05 block adds its calibrations to the first one's identification.
    if (!view.technical) {
        const TVuIdentification& id = *block.vuIdentification;
        const TSensorPaired& sensor = *block.sensorPaired;
        TVuTechnicalView t;
        t.manufacturerName = CodePageText(id.vuManufacturerName);
        t.manufacturerAddress = CodePageText(id.vuManufacturerAddress);
        t.partNumber = PlainText(id.vuPartNumber);
        t.serialNumber = SerialNumber(*id.vuSerialNumber);
        t.softwareVersion = PlainText(id.vuSoftwareIdentification->vuSoftwareVersion);
        t.softwareInstallation = id.vuSoftwareIdentification->vuSoftInstallationDate;
        t.manufacturingDate = id.vuManufacturingDate;
        t.approvalNumber = PlainText(id.vuApprovalNumber);
        t.sensorSerialNumber = SerialNumber(*sensor.sensorSerialNumber);
        t.sensorApprovalNumber = PlainText(sensor.sensorApprovalNumber);
        t.sensorFirstPairing = sensor.sensorPairingDateFirst;
        view.technical = std::move(t);
    }
    for (const auto& r : block.vuCalibrationData->records)
        view.technical->calibrations.push_back(Calibration(*r));
}

} // namespace

TVuView ViewVu(const TVuDownload& download)
{
    TVuView view;
    DayRecords seen;
    for (const TVuBlockEntry& entry : download.Blocks()) {
        TVuBlockView block{entry.trep, VuBlockName(entry.trep), entry.offset, entry.size, std::nullopt};
        if (const auto* overview = dynamic_cast<const TF7601*>(entry.block)) {
            if (!view.hasOverview)
                AddOverview(view, *overview);
        } else if (const auto* day = dynamic_cast<const TF7602*>(entry.block)) {
            block.day = day->dateOfDayDownloaded;
            AddDay(view, seen, *day);
        } else if (const auto* events = dynamic_cast<const TF7603*>(entry.block)) {
            AddEventsAndFaults(view, *events);
        } else if (const auto* speed = dynamic_cast<const TF7604*>(entry.block)) {
            AddSpeed(view, *speed);
        } else if (const auto* technical = dynamic_cast<const TF7605*>(entry.block)) {
            AddTechnical(view, *technical);
        }
        view.blocks.push_back(std::move(block));
    }
    view.activities = VuActivityDays(download);
    return view;
}

} // namespace views
