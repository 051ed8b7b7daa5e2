#pragma once
// Where a window stood when it was closed, kept in the settings as
// "ShowCmd", "Flags", "PixelsPerInch", "MinMaxPos" and "NormPos" (the last
// two as "%d,%d,%d,%d": x, y, x, y and left, top, right, bottom) and
// "FormVersion". The caller's settings are positioned in the window's group.

#include <QRect>
#include <QString>

#include <optional>

class QSettings;
class QWidget;

// "%d,%d,%d,%d" -> four integers; none for anything else.
std::optional<QRect> ParseRectText(const QString& text);
QString RectText(int a, int b, int c, int d);

void SavePlacement(const QWidget& window, QSettings& settings);
// Puts the window where it stood when that place is still on a screen;
// otherwise it stays where it is. True when it moved.
bool RestorePlacement(QWidget& window, const QSettings& settings);
