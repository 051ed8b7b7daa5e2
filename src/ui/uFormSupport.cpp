#include "uFormSupport.h"

#include <QApplication>
#include <QFontDatabase>
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
    return QFontDatabase::writingSystems(family).contains(script);
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
    if (!CanWrite(base.family(), script)) {
        const QString fallback = QApplication::font().family();
        QString chosen = CanWrite(fallback, script) ? fallback : QString();
        if (chosen.isEmpty()) {
            const QStringList families = QFontDatabase::families(script);
            if (!families.isEmpty())
                chosen = families.front();
        }
        if (!chosen.isEmpty())
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
