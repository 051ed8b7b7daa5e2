#pragma once
// What a driver card holds, as a person reads it: the holder and the card,
// the licence, the lists (vehicles, places, events, faults, specific
// conditions), the last control, the last card download and the activities.
//
// Times are TimeReal (seconds since 1970-01-01 UTC); 0 means the record holds
// none. The lists leave out the empty records of the card's fixed-size files
// and run from the oldest entry to the newest.

#include "uActivityView.h"
#include "uRecordView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class T1BDriverCard;

namespace views {

struct TCardIdentityView {
    std::uint8_t issuingNation = 0;
    std::string issuingNationAlpha;
    std::string cardNumber;
    std::string issuingAuthority;
    std::uint32_t issueDate = 0;
    std::uint32_t validityBegin = 0;
    std::uint32_t expiryDate = 0;
    std::string surname;
    std::string firstNames;
    std::optional<std::string> birthDate; // "1970-01-31"; none when the date is not valid
    std::string preferredLanguage;
};

struct TDrivingLicenceView {
    std::string issuingAuthority;
    std::uint8_t issuingNation = 0;
    std::string issuingNationAlpha;
    std::string number;
};

struct TCardVehicleView {
    std::uint32_t firstUse = 0;
    std::uint32_t lastUse = 0;
    std::uint32_t odometerBeginKm = 0;
    std::uint32_t odometerEndKm = 0;
    TRegistrationView registration;
    std::uint16_t vuDataBlockCounter = 0; // BCD as read
};

struct TPlaceView {
    std::uint32_t time = 0;
    std::uint8_t entryType = 0; // 0 begin, 1 end of a daily work period
    std::uint8_t country = 0;
    std::string countryAlpha;
    std::uint8_t region = 0;
    std::uint32_t odometerKm = 0;
};

struct TCardIncidentView {
    std::uint8_t type = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    TRegistrationView vehicle;
};

struct TCardControlView {
    TControlTypeView type;
    std::uint32_t time = 0;
    std::optional<TCardNumberView> controlCard;
    TRegistrationView vehicle;
    std::uint32_t downloadPeriodBegin = 0;
    std::uint32_t downloadPeriodEnd = 0;
};

struct TSpecificConditionView {
    std::uint32_t time = 0;
    std::uint8_t type = 0;
};

struct TCurrentUseView {
    std::uint32_t sessionOpenTime = 0;
    TRegistrationView vehicle;
};

struct TCardView {
    bool hasIdentification = false;
    TCardIdentityView identity;
    std::optional<std::uint32_t> lastDownload; // EF_Card_Download, when the card has it
    std::optional<TDrivingLicenceView> licence;
    std::vector<TCardVehicleView> vehicles;
    std::vector<TPlaceView> places;
    std::vector<TCardIncidentView> events;
    std::vector<TCardIncidentView> faults;
    std::optional<TCardControlView> lastControl;
    std::vector<TSpecificConditionView> specificConditions;
    std::optional<TCurrentUseView> currentUse;
    std::vector<TCardActivityDay> activities;
};

TCardView ViewCard(const T1BDriverCard& card);

} // namespace views
