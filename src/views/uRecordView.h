#pragma once
// The small pieces every view shares: a card number, a vehicle registration,
// a control's flags; decoded from their records.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

class TFullCardNumber;
class TVehicleRegistrationIdentification;

namespace views {

struct TCardNumberView {
    std::uint8_t cardType = 0; // EquipmentType: 1 driver, 2 workshop, 3 control, 4 company
    std::uint8_t nation = 0;   // NationNumeric
    std::string nationAlpha;   // "D", "E", ...; empty when the code names no country
    std::string number;        // card number with its replacement and renewal indexes
};

struct TRegistrationView {
    std::uint8_t nation = 0;
    std::string nationAlpha;
    std::string number; // decoded from its code page
};

// What a control did: its ControlType bits 'cvpd'.
struct TControlTypeView {
    std::uint8_t code = 0;
    bool cardDownloaded = false;
    bool vuDownloaded = false;
    bool printed = false;
    bool displayed = false;
};

// None for an empty number (all blanks, zeros or FFh): no card.
std::optional<TCardNumberView> CardNumberView(std::uint8_t cardType, std::uint8_t nation,
                                              std::span<const std::uint8_t, 16> number);
std::optional<TCardNumberView> CardNumberView(const TFullCardNumber& number);
TRegistrationView RegistrationView(std::uint8_t nation, std::span<const std::uint8_t, 14> number);
TRegistrationView RegistrationView(const TVehicleRegistrationIdentification& registration);
TControlTypeView ControlTypeView(std::uint8_t code);

} // namespace views
