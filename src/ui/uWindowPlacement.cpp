#include "uWindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

} // namespace

std::optional<QRect> ParseRectText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int v[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    // left, top, right, bottom with right and bottom just outside.
    return QRect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
}

QString RectText(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

void SavePlacement(const QWidget& window, QSettings& settings)
{
    const int showCmd = window.isMinimized() ? kShowMinimized : window.isMaximized() ? kShowMaximized : kShowNormal;
    const QRect r = window.frameGeometry();
    settings.setValue(QStringLiteral("ShowCmd"), showCmd);
    settings.setValue(QStringLiteral("Flags"), 0);
    settings.setValue(QStringLiteral("PixelsPerInch"), window.logicalDpiY());
    settings.setValue(QStringLiteral("MinMaxPos"), RectText(-1, -1, -1, -1));
    settings.setValue(QStringLiteral("NormPos"), RectText(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()));
    settings.setValue(QStringLiteral("FormVersion"), 0);
}

bool RestorePlacement(QWidget& window, const QSettings& settings)
{
    const std::optional<QRect> norm = ParseRectText(settings.value(QStringLiteral("NormPos")).toString());
    if (!norm || norm->width() <= 0 || norm->height() <= 0)
        return false;
    // A screen that has gone since must not leave the window out of reach.
    const QRect title(norm->topLeft(), QSize(std::min(norm->width(), 100), 20));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(title)) {
            window.move(norm->topLeft());
            return true;
        }
    }
    return false;
}
