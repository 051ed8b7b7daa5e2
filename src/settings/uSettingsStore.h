#pragma once
// Where the program keeps the user's choices: the registry key
// HKEY_CURRENT_USER\Software\Morvane\Pellkit on Windows, an INI file with the
// same keys elsewhere (~/.config/Morvane/Pellkit.conf). Every reader and
// writer of a setting opens the store here.

#include <QSettings>
#include <QString>

#include <memory>

inline const QString kVexaGroup = QStringLiteral("Vexa");   // the program's own choices
inline const QString kPortsGroup = QStringLiteral("Ports"); // COMn -> device, where not the default

// The whole store.
std::unique_ptr<QSettings> UserSettings();
// The store opened on the group "Vexa".
std::unique_ptr<QSettings> VexaSettings();
// Whether the group holds anything at all (a QSettings group exists only then).
bool SettingsGroupExists(const QString& group);
