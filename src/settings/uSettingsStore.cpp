#include "uSettingsStore.h"

std::unique_ptr<QSettings> UserSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("Morvane"), QStringLiteral("Pellkit"));
}

std::unique_ptr<QSettings> VexaSettings()
{
    auto settings = UserSettings();
    settings->beginGroup(kVexaGroup);
    return settings;
}

bool SettingsGroupExists(const QString& group) { return UserSettings()->childGroups().contains(group); }
