#include "uRegister.h"

#include <QStandardPaths>

namespace reg {

int DaysBetween(std::uint32_t today, std::uint32_t due)
{
    return static_cast<int>(static_cast<std::int64_t>(due / kSecondsPerDay) - static_cast<std::int64_t>(today / kSecondsPerDay));
}

void SetDue(TRegisterRow& row, std::uint32_t today)
{
    (void)row;
    (void)today;
}

TRegister BuildRegister(const std::vector<std::filesystem::path>& folders, const TRegisterOptions& options)
{
    (void)folders;
    (void)options;
    return {};
}

std::filesystem::path DefaultRegisterCache()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return std::filesystem::path(folder.toStdU16String()) / "register.db";
}

} // namespace reg
