#include "uFormSupport.h"

#include "uCommitTexts.h"
#include "uQtSerialPort.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>

Q_LOGGING_CATEGORY(lcStatus, "pellkit.status", QtWarningMsg)

namespace {

QFontDatabase::WritingSystem ScriptOf(std::uint8_t charset)
{
    switch (charset) {
    case 161: return QFontDatabase::Greek;
    case 204: return QFontDatabase::Cyrillic;
    default: return QFontDatabase::Latin; // Baltic is Latin with its own accents
    }
}

bool CanWrite(const QString& family, QFontDatabase::WritingSystem script)
{
    return !family.isEmpty() && QFontDatabase::writingSystems(family).contains(script);
}

// The face that really draws font: a family the system lacks, or an alias
// such as "Sans Serif", is whatever fontconfig picks for it.
QString DrawnFamily(const QFont& font) { return QFontInfo(font).family(); }

// A face that writes script, sans-serif like the windows' own: the face of
// the application's font, the system's sans-serif face, a face named sans,
// and only then any face that writes it.
QString SansSerifFamilyFor(QFontDatabase::WritingSystem script)
{
    QFont sans(QStringLiteral("Sans Serif"));
    sans.setStyleHint(QFont::SansSerif);
    for (const QString& family : {DrawnFamily(QApplication::font()), DrawnFamily(sans)})
        if (CanWrite(family, script))
            return family;
    const QStringList families = QFontDatabase::families(script);
    for (const QString& family : families)
        if (family.contains(QStringLiteral("Sans"), Qt::CaseInsensitive) &&
            !family.contains(QStringLiteral("Mono"), Qt::CaseInsensitive) && !QFontDatabase::isFixedPitch(family))
            return family;
    return families.isEmpty() ? QString() : families.front();
}

} // namespace

QFont FormFont(const QString& family, int pointSize)
{
    QFont font = QFontDatabase::families().contains(family) ? QFont(family) : QApplication::font();
    font.setPointSize(pointSize);
    return font;
}

void ApplyCharset(QWidget& widget, const QFont& base, std::uint8_t charset)
{
    widget.setProperty(kCharsetProperty, static_cast<int>(charset));
    const QFontDatabase::WritingSystem script = ScriptOf(charset);
    QFont font = base;
    if (!CanWrite(DrawnFamily(base), script)) {
        if (const QString chosen = SansSerifFamilyFor(script); !chosen.isEmpty())
            font.setFamily(chosen);
    }
    widget.setFont(font);
}

std::uint8_t WidgetCharset(const QWidget& widget)
{
    const QVariant v = widget.property(kCharsetProperty);
    return v.isValid() ? static_cast<std::uint8_t>(v.toInt()) : 1;
}

void DropMinMaxBoxes(QWidget& window)
{
    Qt::WindowFlags flags = window.windowFlags();
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinMaxButtonsHint);
    window.setWindowFlags(flags);
}

TWaitCursor::TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

TWaitCursor::~TWaitCursor() { QApplication::restoreOverrideCursor(); }

void RepaintPending() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

QString PortAccessHint(const QString& portName)
{
    return PortAccessDenied(portName) ? PortAccessDeniedText(ResolvePortName(portName)) : QString();
}
