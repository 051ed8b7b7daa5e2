#pragma once
// What every window shares: its face, its font character set, the settings
// it keeps, the hourglass, and the log of status lines.

#include <QFont>
#include <QLoggingCategory>
#include <QString>

#include "uSettingsStore.h"

#include <cstdint>
#include <memory>

class QWidget;

// Status lines of the flows: nothing in the windows shows them, a user who
// wants them switches on "pellkit.status.info".
Q_DECLARE_LOGGING_CATEGORY(lcStatus)


// family at pointSize when the system has it, else the platform's default
// face at that size.
QFont FormFont(const QString& family, int pointSize);
inline QFont TahomaFont() { return FormFont(QStringLiteral("Tahoma"), 8); }
inline QFont SansSerifFont() { return FormFont(QStringLiteral("Microsoft Sans Serif"), 8); }

// The property that keeps a widget's font character set (1, 161, 186, 204).
inline constexpr const char* kCharsetProperty = "charset";
// Gives widget the font base in character set charset: the number is kept
// as a property, and the face becomes one that can write that script (base's
// own when it can). Children that inherit the font follow.
void ApplyCharset(QWidget& widget, const QFont& base, std::uint8_t charset);
// The character set last applied to widget (1 when none was).
std::uint8_t WidgetCharset(const QWidget& widget);

// Takes the minimize and maximize boxes off a top-level window.
void DropMinMaxBoxes(QWidget& window);

// The hourglass for as long as it lives, also when an error passes.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// Lets pending repaints happen while a flow holds the user-interface thread,
// without taking clicks or keys meanwhile.
void RepaintPending();
