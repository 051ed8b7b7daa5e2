#include "uWrapCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

QRect TWrapCheckBox::TextRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
}

void TWrapCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QStyleOptionButton indicator = option;
    const QRect text = TextRect();
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    // The box stands beside the first line, not in the middle of a paragraph.
    const int lineHeight = fontMetrics().height();
    const int wrappedHeight =
        fontMetrics().boundingRect(text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, option.text).height();
    const int top = text.top() + (text.height() - wrappedHeight) / 2;
    indicator.rect = QRect(box.left(), top + (lineHeight - box.height()) / 2, box.width(), box.height());
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
    painter.drawItemText(text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                         option.text, QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = text;
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool TWrapCheckBox::hitButton(const QPoint& pos) const { return rect().contains(pos); }
