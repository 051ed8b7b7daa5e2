#pragma once
// The register's words in the interface language (the catalogue), shared by
// the window's table and pellkit-cli register.

#include "uRegister.h"

#include <QString>

namespace reg {

QString KindText(TEntityKind kind);                // "Driver card", "Vehicle unit"
QString DueText(TDueState due);                    // "Up to date", "Due within 7 days", "Overdue"
QString VerdictText(views::TVerdict verdict);      // "Valid", "Invalid", "Not checkable"
QString OtherText(const TRegisterOther& other);    // what the file is; an unreadable one with its reason
// The date of a time ("2023-04-28", UTC); "None recorded" for 0.
QString DownloadDateText(std::uint32_t time);

} // namespace reg
