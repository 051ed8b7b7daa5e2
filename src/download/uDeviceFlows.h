#pragma once
// The device halves of the settings and clock flows, and the saved values
// they start from. The configuration dialogs and pellkit-cli both use them,
// so what the Vexa receives never depends on which of them asked.
//
// Saved per user in the settings store (uSettingsStore), group "Vexa"; booleans
// as the integers 0 and 1; a missing or unreadable value gives its default.

#include "uSerialPort.h"

#include <QDateTime>
#include <QString>

#include <functional>

// What the settings write (71h, 12 bytes) sends, as the dialog holds it.
struct TVexaSettings {
    bool activities = true;
    bool events = true;
    bool overview = true;   // shown only: the overview is always requested
    bool speed = false;
    bool technicalData = false;
    int vexaLanguage = 0;   // entry of the Vexa language list, -1 for none (sent as FFh)
    int mode = -1;          // 0 since the previous download, 1 total, 2..255 last days
};

constexpr int kVexaLanguageCount = 23;
constexpr int kMinLastDays = 2;
constexpr int kMaxLastDays = 255;

// Which of the values were saved (the others are the defaults above).
struct TSavedVexaSettings {
    bool activities = false;
    bool events = false;
    bool speed = false;
    bool technicalData = false;
    bool vexaLanguage = false;
    bool mode = false;
};

// The saved values; keyExists (when given) tells whether anything was saved,
// saved (when given) which of them were.
TVexaSettings LoadVexaSettings(bool* keyExists = nullptr, TSavedVexaSettings* saved = nullptr);
// Saves all seven values as the dialog's OK does; false when they could not be written.
bool SaveVexaSettings(const TVexaSettings& settings);

// The mode and language as the dialog shows a saved value: 0 and 1 as they
// are, anything else the last-days mode brought into 2..255; a language
// outside the list selects none (-1).
int DialogMode(int savedMode);
int DialogVexaLanguage(int savedLanguage);

// "useRealtimeClock", default on.
bool LoadUseRealtimeClock();
bool SaveUseRealtimeClock(bool useDeviceClock);

// Status lines of a flow, already in the interface language.
using TFlowStatus = std::function<void(const QString& line)>;

// Opens the port under portName, then 70h, 71h with the 12-byte payload and,
// when that succeeded, 72h (whose code is not examined). Returns 0 or the
// failing code; -1 when the port cannot be opened or fails during an
// exchange. The port is closed on every way out.
int SendSettings(ISerialPort& port, const QString& portName, const TVexaSettings& settings,
                 const TFlowStatus& status = {});

// Opens the port under portName, then 67h, 71h with the 6-byte payload from
// localMoment (seconds dropped) and 72h whatever the write gave. Returns 0,
// the write's code, or 72h's code when that failed; -1 as above.
int SendClock(ISerialPort& port, const QString& portName, const QDateTime& localMoment, bool useDeviceClock,
              const TFlowStatus& status = {});
