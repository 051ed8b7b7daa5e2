#pragma once
// The three kinds of box the windows show, each modal with one OK button.
// Every box goes through Boxes(), so that tests put a recorder in its place
// and no modal box ever waits for a click that will not come.

#include <QString>

class QWidget;

class IBoxes {
public:
    virtual ~IBoxes() = default;
    // Titled "Pellkit", no icon; owner may be null (then modal to the application).
    virtual void MessageBox(const QString& text, QWidget* owner = nullptr) = 0;
    // Titled with the application's title, no icon.
    virtual void InformationBox(const QString& text) = 0;
    // The platform's error box, with its error icon.
    virtual void ErrorBox(const QString& text) = 0;
    // A question with two answers, titled "Pellkit"; true for yes. Unless
    // overridden it is shown as a message box and answered no, the answer
    // that changes nothing.
    virtual bool QuestionBox(const QString& text, const QString& yes, const QString& no)
    {
        (void)yes;
        (void)no;
        MessageBox(text);
        return false;
    }
};

// The boxes in use: QMessageBox unless replaced.
IBoxes& Boxes();
// Replaces them (null restores the real ones); the caller keeps ownership.
void SetBoxes(IBoxes* boxes);

// The real boxes, for code that must show one whatever the seam holds.
class TMessageBoxes : public IBoxes {
public:
    void MessageBox(const QString& text, QWidget* owner = nullptr) override;
    void InformationBox(const QString& text) override;
    void ErrorBox(const QString& text) override;
    bool QuestionBox(const QString& text, const QString& yes, const QString& no) override;
};
