#pragma once
// A framed group of radio buttons in columns, addressed by entry index
// (-1 when none is selected), filled column by column.

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

signals:
    // The user picked an entry.
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();

    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
    int columns_;
};
