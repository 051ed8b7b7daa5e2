#pragma once
// What a VU download holds, as a person reads it: the vehicle and the
// overview's lists (company locks, controls), the card insertions and
// withdrawals, places and specific conditions of the downloaded days, their
// activities, the events and faults, over-speeding, time adjustments, the
// detailed speed and the technical data, and the blocks the download is made
// of.
//
// Times are TimeReal (seconds since 1970-01-01 UTC); 0 means the record holds
// none. A record that lies across midnight comes in both days' blocks: the
// lists hold it once. Lists keep the order of the download.

#include "uActivityView.h"
#include "uCardView.h"
#include "uRecordView.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TVuDownload;

namespace views {

struct TVuLastDownloadView {
    std::uint32_t time = 0;
    std::optional<TCardNumberView> card;
    std::string companyOrWorkshop;
};

struct TCompanyLockView {
    std::uint32_t lockIn = 0;
    std::uint32_t lockOut = 0; // 0 while the lock holds
    std::string companyName;
    std::string companyAddress;
    std::optional<TCardNumberView> companyCard;
};

struct TVuControlView {
    TControlTypeView type;
    std::uint32_t time = 0;
    std::optional<TCardNumberView> controlCard;
    std::uint32_t downloadPeriodBegin = 0;
    std::uint32_t downloadPeriodEnd = 0;
};

struct TCardInsertionView {
    std::string surname;
    std::string firstNames;
    std::optional<TCardNumberView> card;
    std::optional<std::string> cardExpiry; // "2030-12-31"
    std::uint32_t insertion = 0;
    std::uint32_t withdrawal = 0; // 0 while the card is in
    std::uint32_t odometerAtInsertionKm = 0;
    std::uint32_t odometerAtWithdrawalKm = 0;
    TSlot slot = TSlot::Driver;
    TRegistrationView previousVehicle;
    std::uint32_t previousWithdrawal = 0;
    bool manualEntry = false;
};

struct TVuPlaceView {
    std::optional<TCardNumberView> card;
    TPlaceView place;
};

struct TVuIncidentView {
    std::uint8_t type = 0;
    std::uint8_t purpose = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    // Driver slot at begin, co-driver slot at begin, driver slot at end, co-driver slot at end.
    std::array<std::optional<TCardNumberView>, 4> cards;
    std::optional<int> similarEvents; // events only
};

struct TOverSpeedingControlView {
    std::uint32_t lastControl = 0;
    std::uint32_t firstSince = 0;
    int numberSince = 0;
};

struct TOverSpeedingEventView {
    std::uint8_t type = 0;
    std::uint8_t purpose = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    int maxSpeedKmh = 0;
    int averageSpeedKmh = 0;
    std::optional<TCardNumberView> card; // in the driver slot at begin
    int similarEvents = 0;
};

struct TTimeAdjustmentView {
    std::uint32_t oldTime = 0;
    std::uint32_t newTime = 0;
    std::string workshopName;
    std::string workshopAddress;
    std::optional<TCardNumberView> workshopCard;
};

// One minute of detailed speed: 60 values in km/h, one per second from begin.
struct TSpeedMinuteView {
    std::uint32_t begin = 0;
    std::array<std::uint8_t, 60> speedsKmh{};
};

struct TSerialNumberView {
    std::uint32_t serialNumber = 0;
    std::uint16_t monthYear = 0; // BCD mmyy as read
    std::uint8_t equipmentType = 0;
    std::uint8_t manufacturerCode = 0;
};

struct TCalibrationView {
    std::uint8_t purpose = 0;
    std::string workshopName;
    std::string workshopAddress;
    std::optional<TCardNumberView> workshopCard;
    std::uint32_t workshopCardExpiry = 0;
    std::string vin;
    TRegistrationView registration;
    int wImpulsesPerKm = 0;
    int kImpulsesPerKm = 0;
    double tyreCircumferenceMm = 0; // l, in 1/8 mm on the medium
    std::string tyreSize;
    int authorisedSpeedKmh = 0;
    std::uint32_t oldOdometerKm = 0;
    std::uint32_t newOdometerKm = 0;
    std::uint32_t oldTime = 0;
    std::uint32_t newTime = 0;
    std::uint32_t nextCalibration = 0;
};

struct TVuTechnicalView {
    std::string manufacturerName;
    std::string manufacturerAddress;
    std::string partNumber;
    TSerialNumberView serialNumber;
    std::string softwareVersion;
    std::uint32_t softwareInstallation = 0;
    std::uint32_t manufacturingDate = 0;
    std::string approvalNumber;
    TSerialNumberView sensorSerialNumber;
    std::string sensorApprovalNumber;
    std::uint32_t sensorFirstPairing = 0;
    std::vector<TCalibrationView> calibrations;
};

struct TVuBlockView {
    std::uint8_t trep = 0;
    std::string name; // "overview", "activities", ...
    std::size_t offset = 0;
    std::size_t size = 0;
    std::optional<std::uint32_t> day; // the date of an activities block
};

struct TVuView {
    bool hasOverview = false;
    std::string vin;
    TRegistrationView registration;
    std::uint32_t currentDateTime = 0;
    std::uint32_t downloadableBegin = 0;
    std::uint32_t downloadableEnd = 0;
    std::uint8_t cardSlotsStatus = 0;
    std::uint8_t driverSlotCard = 0;   // low nibble: 0 none, 1 driver, 2 workshop, 3 control, 4 company
    std::uint8_t coDriverSlotCard = 0; // high nibble
    TVuLastDownloadView lastDownload;
    std::vector<TCompanyLockView> companyLocks;
    std::vector<TVuControlView> controls;

    std::vector<TCardInsertionView> cardInsertions;
    std::vector<TVuPlaceView> places;
    std::vector<TSpecificConditionView> specificConditions;
    std::vector<TVuActivityDay> activities;

    std::vector<TVuIncidentView> faults;
    std::vector<TVuIncidentView> events;
    std::optional<TOverSpeedingControlView> overSpeedingControl;
    std::vector<TOverSpeedingEventView> overSpeedingEvents;
    std::vector<TTimeAdjustmentView> timeAdjustments;

    std::vector<TSpeedMinuteView> detailedSpeed;
    std::optional<TVuTechnicalView> technical;

    std::vector<TVuBlockView> blocks;
};

TVuView ViewVu(const TVuDownload& download);

} // namespace views
