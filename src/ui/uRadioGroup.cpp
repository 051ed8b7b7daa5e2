#include "uRadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>

#include <algorithm>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), columns_(columns < 1 ? 1 : columns)
{
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        buttons_.push_back(b);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int) { emit Click(); });
    Arrange();
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (QRadioButton* b = buttons_.value(index)) {
        b->setChecked(true);
        return;
    }
    // A button group that must hold one checked button cannot be emptied.
    group_->setExclusive(false);
    for (QRadioButton* b : buttons_)
        b->setChecked(false);
    group_->setExclusive(true);
}

void TRadioGroup::SetItemText(int index, const QString& text)
{
    if (QRadioButton* b = buttons_.value(index))
        b->setText(text);
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    Arrange();
}

void TRadioGroup::Arrange()
{
    if (buttons_.isEmpty())
        return;
    const int rows = (Count() + columns_ - 1) / columns_;
    const QRect area = contentsRect().adjusted(8, 2, -4, -4);
    const int columnWidth = area.width() / columns_;
    const int rowHeight = rows > 0 ? area.height() / rows : area.height();
    for (int i = 0; i < Count(); ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const int h = std::min(rowHeight, buttons_[i]->sizeHint().height() + 4);
        buttons_[i]->setGeometry(area.left() + column * columnWidth, area.top() + row * rowHeight + (rowHeight - h) / 2,
                                 columnWidth - 4, h);
    }
}
