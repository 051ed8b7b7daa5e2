#include "uRecordView.h"

#include "uTachy1BStruct.h"
#include "uViewText.h"

#include <algorithm>

namespace views {

std::optional<TCardNumberView> CardNumberView(std::uint8_t cardType, std::uint8_t nation,
                                              std::span<const std::uint8_t, 16> number)
{
    const bool empty = std::all_of(number.begin(), number.end(), [](std::uint8_t b) { return b <= 0x20 || b == 0xFF; });
    if (empty)
        return std::nullopt;
    return TCardNumberView{cardType, nation, NationAlpha(nation), PlainText(number)};
}

std::optional<TCardNumberView> CardNumberView(const TFullCardNumber& number)
{
    return CardNumberView(number.cardType, number.cardIssuingMemberState, number.cardNumber);
}

TRegistrationView RegistrationView(std::uint8_t nation, std::span<const std::uint8_t, 14> number)
{
    return {nation, NationAlpha(nation), CodePageText(number)};
}

TRegistrationView RegistrationView(const TVehicleRegistrationIdentification& registration)
{
    return RegistrationView(registration.vehicleRegistrationNation, registration.vehicleRegistrationNumber);
}

TControlTypeView ControlTypeView(std::uint8_t code)
{
    return {code, (code & 0x80) != 0, (code & 0x40) != 0, (code & 0x20) != 0, (code & 0x10) != 0};
}

} // namespace views
