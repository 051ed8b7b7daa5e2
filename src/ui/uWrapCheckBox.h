#pragma once
// A check box whose caption wraps onto further lines when it is longer than
// the box is wide (the long translations of a fixed-size dialog).

#include <QCheckBox>

class TWrapCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QRect TextRect() const;
};
