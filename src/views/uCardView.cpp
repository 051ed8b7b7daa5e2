#include "uCardView.h"

#include "uCard1BFile.h"
#include "uViewText.h"

#include <algorithm>

namespace views {

namespace {

template <class File> const File* DataFile(const T1BDriverCard& card, int slot)
{
    const TEFFile* file = card.Slot(slot);
    return file && file->HasData ? dynamic_cast<const File*>(file) : nullptr;
}

template <class View, class Key> void SortBy(std::vector<View>& list, Key key)
{
    std::stable_sort(list.begin(), list.end(), [&](const View& a, const View& b) { return key(a) < key(b); });
}

TCardIdentityView Identity(const TEF_Identification& file)
{
    const TCardIdentification& card = file.CardIdentification();
    const TDriverCardHolderIdentification& holder = file.HolderIdentification();
    TCardIdentityView view;
    view.issuingNation = card.cardIssuingMemberState;
    view.issuingNationAlpha = NationAlpha(card.cardIssuingMemberState);
    view.cardNumber = PlainText(card.cardNumber);
    view.issuingAuthority = CodePageText(card.cardIssuingAuthorityName);
    view.issueDate = card.cardIssueDate;
    view.validityBegin = card.cardValidityBegin;
    view.expiryDate = card.cardExpiryDate;
    view.surname = CodePageText(holder.holderSurname);
    view.firstNames = CodePageText(holder.holderFirstNames);
    view.birthDate = BcdDate(holder.cardHolderBirthDate);
    view.preferredLanguage = PlainText(holder.cardHolderPreferredLanguage);
    return view;
}

template <class Records> void AddIncidents(std::vector<TCardIncidentView>& out, const Records& group)
{
    for (std::size_t i = 0; i < group.Count(); ++i) {
        const auto& record = group[i];
        if (record.type == 0 && record.beginTime == 0)
            continue;
        out.push_back({record.type, record.beginTime, record.endTime,
                       RegistrationView(record.vehicleRegistrationNation, record.vehicleRegistrationNumber)});
    }
}

} // namespace

TCardView ViewCard(const T1BDriverCard& card)
{
    TCardView view;
    if (const auto* file = card.Identification()) {
        view.hasIdentification = true;
        view.identity = Identity(*file);
    }
    view.lastDownload = card.LastDownloadTime();

    if (const auto* file = DataFile<TEF_Driving_License_Info>(card, T1BDriverCard::kDrivingLicenseInfo)) {
        const TCardDrivingLicenceInformation& licence = file->Data();
        view.licence = TDrivingLicenceView{CodePageText(licence.drivingLicenceIssuingAuthority),
                                           licence.drivingLicenceIssuingNation,
                                           NationAlpha(licence.drivingLicenceIssuingNation),
                                           PlainText(licence.drivingLicenceNumber)};
    }

    if (const auto* file = DataFile<TEF_Vehicles_Used>(card, T1BDriverCard::kVehiclesUsed)) {
        const TCardVehiclesUsed& vehicles = file->Data();
        for (std::size_t i = 0; i < vehicles.Count(); ++i) {
            const TCardVehicleRecord& r = vehicles.Record(i);
            if (r.vehicleFirstUse == 0)
                continue;
            view.vehicles.push_back({r.vehicleFirstUse, r.vehicleLastUse, OdometerKm(r.vehicleOdometerBegin),
                                     OdometerKm(r.vehicleOdometerEnd),
                                     RegistrationView(r.vehicleRegistrationNation, r.vehicleRegistrationNumber),
                                     r.vuDataBlockCounter});
        }
        SortBy(view.vehicles, [](const TCardVehicleView& v) { return v.firstUse; });
    }

    if (const auto* file = DataFile<TEF_Places>(card, T1BDriverCard::kPlaces)) {
        const TCardPlaceDailyWorkPeriod& places = file->Data();
        for (std::size_t i = 0; i < places.Count(); ++i) {
            const TPlaceRecord& r = places.Record(i);
            if (r.entryTime == 0)
                continue;
            view.places.push_back({r.entryTime, r.entryTypeDailyWorkPeriod, r.dailyWorkPeriodCountry,
                                   NationAlpha(r.dailyWorkPeriodCountry), r.dailyWorkPeriodRegion,
                                   OdometerKm(r.vehicleOdometerValue)});
        }
        SortBy(view.places, [](const TPlaceView& p) { return p.time; });
    }

    if (const auto* file = DataFile<TEF_Events_Data>(card, T1BDriverCard::kEventsData)) {
        for (std::size_t g = 0; g < TCardEventData::kGroups; ++g)
            AddIncidents(view.events, file->Data().Group(g));
        SortBy(view.events, [](const TCardIncidentView& e) { return e.begin; });
    }
    if (const auto* file = DataFile<TEF_Faults_Data>(card, T1BDriverCard::kFaultsData)) {
        for (std::size_t g = 0; g < TCardFaultData::kGroups; ++g)
            AddIncidents(view.faults, file->Data().Group(g));
        SortBy(view.faults, [](const TCardIncidentView& e) { return e.begin; });
    }

    if (const auto* file = DataFile<TEF_Control_Activity_Data>(card, T1BDriverCard::kControlActivityData)) {
        const TCardControlActivityDataRecord& r = file->Data();
        if (r.controlTime != 0) {
            const TControlCardNumber& number = r.ControlCardNumber();
            view.lastControl = TCardControlView{
                ControlTypeView(r.controlType), r.controlTime,
                CardNumberView(number.cardType, number.cardIssuingMemberState, number.cardNumber),
                RegistrationView(r.ControlVehicleRegistration().vehicleRegistrationNation,
                                 r.ControlVehicleRegistration().vehicleRegistrationNumber),
                r.controlDownloadPeriodBegin, r.controlDownloadPeriodEnd};
        }
    }

    if (const auto* file = DataFile<TEF_Specific_Conditions>(card, T1BDriverCard::kSpecificConditions)) {
        for (std::size_t i = 0; i < TEF_Specific_Conditions::kRecords; ++i) {
            const TSpecificConditionRecord& r = file->Record(i);
            if (r.entryTime != 0)
                view.specificConditions.push_back({r.entryTime, r.specificConditionType});
        }
        SortBy(view.specificConditions, [](const TSpecificConditionView& c) { return c.time; });
    }

    if (const auto* file = DataFile<TEF_Current_Usage>(card, T1BDriverCard::kCurrentUsage)) {
        const TCardCurrentUse& r = file->Data();
        if (r.sessionOpenTime != 0)
            view.currentUse = TCurrentUseView{r.sessionOpenTime,
                                              RegistrationView(r.SessionOpenVehicle().vehicleRegistrationNation,
                                                               r.SessionOpenVehicle().vehicleRegistrationNumber)};
    }

    view.activities = CardActivityDays(card);
    return view;
}

} // namespace views
