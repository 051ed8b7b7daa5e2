#pragma once
// The pictures of the program (flags, logo, quit button, icon), drawn from
// its SVG resources, and the flag list: a drop-down list that its owner draws.

#include <QComboBox>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStyledItemDelegate>

#include <functional>

// Registers the resources of this library once.
void InitUiResources();

// An SVG resource drawn at size; a transparent picture when it cannot be read.
QPixmap RenderSvg(const QString& resource, QSize size);
// The application icon at the usual sizes.
QIcon ApplicationIcon();

inline constexpr QSize kFlagSize{45, 35};
// The resource of the flag of language code (2..21).
QString FlagResource(int languageCode);
// The 20 flags in the order of the flag list.
QList<QPixmap> LoadFlagImages();

// Draws entry index into rect; selected when the popup highlights it.
using TDrawItem = std::function<void(QPainter& painter, int index, const QRect& rect, bool selected)>;

// A drop-down list whose entries, in the box and in the popup, are painted by
// its owner through DrawItem; the entries carry no text.
class TOwnerDrawComboBox : public QComboBox {
    Q_OBJECT
public:
    TOwnerDrawComboBox(int itemHeight, QWidget* parent);
    void SetDrawItem(TDrawItem draw) { draw_ = std::move(draw); }
    int ItemHeight() const { return itemHeight_; }
    void Draw(QPainter& painter, int index, const QRect& rect, bool selected) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TDrawItem draw_;
    int itemHeight_;
};

class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    explicit TOwnerDrawDelegate(TOwnerDrawComboBox& box) : QStyledItemDelegate(&box), box_(box) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TOwnerDrawComboBox& box_;
};
