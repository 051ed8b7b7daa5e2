#include "uCodeNames.h"

namespace views {

std::string EventFaultTypeName(std::uint8_t type)
{
    static const char* const kGeneral[] = {
        "general event",
        "insertion of a non valid card",
        "card conflict",
        "time overlap",
        "driving without an appropriate card",
        "card insertion while driving",
        "last card session not correctly closed",
        "over speeding",
        "power supply interruption",
        "motion data error",
        "vehicle motion conflict",
    };
    static const char* const kVuSecurity[] = {
        "VU security breach attempt",
        "motion sensor authentication failure",
        "tachograph card authentication failure",
        "unauthorised change of motion sensor",
        "card data input integrity error",
        "stored user data integrity error",
        "internal data transfer error",
        "unauthorised case opening",
        "hardware sabotage",
    };
    static const char* const kSensorSecurity[] = {
        "sensor security breach attempt",
        "sensor authentication failure",
        "sensor stored data integrity error",
        "sensor internal data transfer error",
        "sensor unauthorised case opening",
        "sensor hardware sabotage",
    };
    static const char* const kFaults[] = {
        "recording equipment fault",
        "VU internal fault",
        "printer fault",
        "display fault",
        "downloading fault",
        "sensor fault",
    };
    const int low = type & 0x0F;
    switch (type >> 4) {
    case 0: return low < 11 ? kGeneral[low] : "";
    case 1: return low < 9 ? kVuSecurity[low] : "";
    case 2: return low < 6 ? kSensorSecurity[low] : "";
    case 3: return low < 6 ? kFaults[low] : "";
    case 4: return low == 0 ? "card fault" : "";
    default: return type >= 0x80 ? "manufacturer specific" : "";
    }
}

std::string EventFaultPurposeName(std::uint8_t purpose)
{
    switch (purpose) {
    case 0x00: return "one of the 10 most recent events or faults";
    case 0x01: return "the longest event for one of the last 10 days of occurrence";
    case 0x02: return "one of the 5 longest events over the last 365 days";
    case 0x03: return "the last event for one of the last 10 days of occurrence";
    case 0x04: return "the most serious event for one of the last 10 days of occurrence";
    case 0x05: return "one of the 5 most serious events over the last 365 days";
    case 0x06: return "the first event or fault after the last calibration";
    case 0x07: return "an active or on-going event or fault";
    default: return purpose >= 0x80 ? "manufacturer specific" : "";
    }
}

std::string CardTypeName(std::uint8_t type)
{
    switch (type) {
    case 1: return "driver card";
    case 2: return "workshop card";
    case 3: return "control card";
    case 4: return "company card";
    default: return "";
    }
}

std::string SpecificConditionName(std::uint8_t type)
{
    switch (type) {
    case 1: return "out of scope begin";
    case 2: return "out of scope end";
    case 3: return "ferry/train crossing";
    default: return "";
    }
}

std::string CalibrationPurposeName(std::uint8_t purpose)
{
    switch (purpose) {
    case 1: return "activation";
    case 2: return "first installation";
    case 3: return "installation";
    case 4: return "periodic inspection";
    default: return purpose >= 0x80 ? "manufacturer specific" : "";
    }
}

std::string PlaceEntryName(std::uint8_t entryType)
{
    switch (entryType) {
    case 0: return "begin";
    case 1: return "end";
    default: return "";
    }
}

std::string SlotCardName(std::uint8_t code)
{
    switch (code) {
    case 0: return "no card";
    case 1: return "driver card";
    case 2: return "workshop card";
    case 3: return "control card";
    case 4: return "company card";
    default: return "";
    }
}

} // namespace views
