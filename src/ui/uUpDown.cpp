#include "uUpDown.h"

#include <QEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TUpDown::TUpDown(QLineEdit& buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), up_(new QToolButton(this)), down_(new QToolButton(this)), minimum_(minimum),
      maximum_(maximum), position_(minimum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setIconSize(QSize(7, 5));
        layout->addWidget(b);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });

    // Digits only; a number past the range is brought back into it.
    buddy_.setValidator(new QIntValidator(0, maximum_ * 10, &buddy_));
    connect(&buddy_, &QLineEdit::textChanged, this, &TUpDown::FollowText);
    connect(&buddy_, &QLineEdit::editingFinished, this, [this] { buddy_.setText(QString::number(position_)); });
    buddy_.installEventFilter(this);
    SetPosition(buddy_.text().toInt());
}

void TUpDown::SetPosition(int position)
{
    const int p = std::clamp(position, minimum_, maximum_);
    const bool changed = p != position_;
    position_ = p;
    if (buddy_.text() != QString::number(p))
        buddy_.setText(QString::number(p));
    if (changed)
        emit PositionChanged(p);
}

void TUpDown::AttachToBuddy()
{
    const QRect r = buddy_.geometry();
    setGeometry(r.right() + 1, r.top(), 17, r.height());
}

void TUpDown::Step(int delta) { SetPosition(position_ + delta); }

void TUpDown::FollowText(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok)
        return; // half-typed: the position stays until the text means a number
    const int p = std::clamp(v, minimum_, maximum_);
    if (p != position_) {
        position_ = p;
        emit PositionChanged(p);
    }
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
