#include "uRadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
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
    if (QRadioButton* b = buttons_.value(index)) {
        b->setText(text);
        Arrange();
    }
}

void TRadioGroup::SetOwnRow(int index)
{
    if (index >= 0 && index < Count() && !ownRows_.contains(index)) {
        ownRows_.push_back(index);
        Arrange();
    }
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    Arrange();
}

void TRadioGroup::changeEvent(QEvent* event)
{
    QGroupBox::changeEvent(event);
    // The caption's height moves the entries.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        Arrange();
}

QRect TRadioGroup::Area() const { return contentsRect().adjusted(8, 2, -4, -4); }

int TRadioGroup::ColumnRows() const
{
    const int inColumns = Count() - static_cast<int>(ownRows_.size());
    return (inColumns + columns_ - 1) / columns_;
}

int TRadioGroup::RowHeight() const
{
    const int rows = ColumnRows() + static_cast<int>(ownRows_.size());
    return rows > 0 ? Area().height() / rows : Area().height();
}

QRect TRadioGroup::CellRect(int column, int row) const
{
    const QRect area = Area();
    const int columnWidth = area.width() / columns_;
    return {area.left() + column * columnWidth, area.top() + row * RowHeight(), columnWidth - 4, RowHeight()};
}

QRect TRadioGroup::RowRect(int index) const
{
    const QRect area = Area();
    const int own = static_cast<int>(ownRows_.indexOf(index));
    const int row = own >= 0 ? ColumnRows() + own : 0;
    return {area.left(), area.top() + row * RowHeight(), area.width(), RowHeight()};
}

void TRadioGroup::Arrange()
{
    if (buttons_.isEmpty())
        return;
    const int rows = std::max(1, ColumnRows());
    int placed = 0;
    for (int i = 0; i < Count(); ++i) {
        QRadioButton* b = buttons_[i];
        const int h = std::min(RowHeight(), b->sizeHint().height() + 4);
        QRect cell;
        if (ownRows_.contains(i)) {
            cell = RowRect(i);
            cell.setWidth(std::min(cell.width(), b->sizeHint().width() + 4));
        } else {
            cell = CellRect(placed / rows, placed % rows);
            ++placed;
        }
        b->setGeometry(cell.left(), cell.top() + (cell.height() - h) / 2, cell.width(), h);
    }
    emit Arranged();
}
