#pragma once
// English names of the codes in tachograph records, for people and scripts;
// the codes themselves stay beside them, for whoever translates.

#include <cstdint>
#include <string>

namespace views {

// EventFaultType: "card conflict", "sensor fault", ...; "" for reserved codes.
std::string EventFaultTypeName(std::uint8_t type);
// EventFaultRecordPurpose: "one of the 10 most recent events or faults", ...
std::string EventFaultPurposeName(std::uint8_t purpose);
// EquipmentType as a card type: "driver card", "workshop card", "control card", "company card".
std::string CardTypeName(std::uint8_t type);
// SpecificConditionType: "out of scope begin", "out of scope end", "ferry/train crossing".
std::string SpecificConditionName(std::uint8_t type);
// CalibrationPurpose: "activation", "first installation", "installation", "periodic inspection".
std::string CalibrationPurposeName(std::uint8_t purpose);
// EntryTypeDailyWorkPeriod: "begin", "end".
std::string PlaceEntryName(std::uint8_t entryType);
// One nibble of CardSlotsStatus: "no card", "driver card", ...
std::string SlotCardName(std::uint8_t code);

} // namespace views
