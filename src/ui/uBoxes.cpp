#include "uBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

IBoxes* gBoxes = nullptr;

void Show(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* owner)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    // Without an owner the box still keeps the whole program waiting, as a
    // box over the main window would.
    if (!owner)
        box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

IBoxes& Boxes()
{
    static TMessageBoxes real;
    return gBoxes ? *gBoxes : real;
}

void SetBoxes(IBoxes* boxes) { gBoxes = boxes; }

void TMessageBoxes::MessageBox(const QString& text, QWidget* owner)
{
    Show(QMessageBox::NoIcon, QStringLiteral("Pellkit"), text, owner);
}

void TMessageBoxes::InformationBox(const QString& text)
{
    Show(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, nullptr);
}

void TMessageBoxes::ErrorBox(const QString& text)
{
    Show(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text, nullptr);
}
