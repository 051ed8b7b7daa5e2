#include "uBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

bool TMessageBoxes::QuestionBox(const QString& text, const QString& yes, const QString& no)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pellkit"), text, QMessageBox::NoButton, nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

void TMessageBoxes::ErrorBox(const QString& text)
{
    Show(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text, nullptr);
}
