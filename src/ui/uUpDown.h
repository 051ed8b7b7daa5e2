#pragma once
// Spin buttons attached to a text box: the position follows what the box
// says (brought into the range), and the buttons and the arrow keys step it
// and write it back into the box.

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit& buddy, int minimum, int maximum, QWidget* parent);

    int Position() const { return position_; }
    // Brought into the range; the box shows it.
    void SetPosition(int position);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    // Places the buttons at the right edge of the box.
    void AttachToBuddy();

signals:
    void PositionChanged(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(int delta);
    void FollowText(const QString& text);

    QLineEdit& buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int position_;
};
