#pragma once
// A framed group of radio buttons in columns, addressed by entry index
// (-1 when none is selected), filled column by column; an entry may have a
// row of its own under the columns, with room beside it for a field.

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int ItemIndex() const;
    // -1 clears the selection.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Item(int index) const { return buttons_.value(index); }
    void SetItemText(int index, const QString& text);
    // Entry index leaves the columns for a row of its own below them.
    void SetOwnRow(int index);
    // The cell of the columns (0-based), in the group's coordinates; also a
    // free one, to put a field in.
    QRect CellRect(int column, int row) const;
    // The row of entry index, over the group's whole width.
    QRect RowRect(int index) const;

signals:
    // The user picked an entry.
    void Click();
    // The entries were placed anew (size, font or texts changed).
    void Arranged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Arrange();
    QRect Area() const;
    int ColumnRows() const;
    int RowHeight() const;

    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
    int columns_;
    QList<int> ownRows_;
};
