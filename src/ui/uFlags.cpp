#include "uFlags.h"

#include "uLocalization.h"

#include <QAbstractItemView>
#include <QFile>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QSvgRenderer>

static void InitResourcesOnce()
{
    // Outside any namespace: the macro names a global function.
    Q_INIT_RESOURCE(pellkit);
}

void InitUiResources()
{
    static const bool done = [] {
        InitResourcesOnce();
        return true;
    }();
    (void)done;
}

QPixmap RenderSvg(const QString& resource, QSize size)
{
    InitUiResources();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return pixmap;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(RenderSvg(QStringLiteral(":/pellkit/pellkit.svg"), QSize(side, side)));
    return icon;
}

QString FlagResource(int languageCode)
{
    for (const lang::TLanguage& l : lang::kLanguages) {
        if (l.code != languageCode)
            continue;
        QString country = QString::fromLatin1(l.country).toLower();
        country.replace(QLatin1Char(' '), QLatin1Char('-'));
        return QStringLiteral(":/pellkit/flags/%1-%2.svg").arg(languageCode, 2, 10, QLatin1Char('0')).arg(country);
    }
    return {};
}

QList<QPixmap> LoadFlagImages()
{
    QList<QPixmap> flags;
    for (const lang::TLanguage& l : lang::kLanguages)
        flags.push_back(RenderSvg(FlagResource(l.code), kFlagSize));
    return flags;
}

TOwnerDrawComboBox::TOwnerDrawComboBox(int itemHeight, QWidget* parent) : QComboBox(parent), itemHeight_(itemHeight)
{
    // A list popup, not a menu: it keeps the entries' height and shows only
    // maxVisibleItems of them at a time.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setItemDelegate(new TOwnerDrawDelegate(*this));
}

void TOwnerDrawComboBox::Draw(QPainter& painter, int index, const QRect& rect, bool selected) const
{
    if (draw_ && index >= 0 && index < count())
        draw_(painter, index, rect, selected);
}

QSize TOwnerDrawComboBox::sizeHint() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    const QSize content(kFlagSize.width() + 4, itemHeight_);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this);
}

QSize TOwnerDrawComboBox::minimumSizeHint() const { return sizeHint(); }

void TOwnerDrawComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.save();
    painter.setClipRect(field);
    Draw(painter, currentIndex(), field, false);
    painter.restore();
}

void TOwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setClipRect(option.rect);
    box_.Draw(*painter, index.row(), option.rect, selected);
    painter->restore();
}

QSize TOwnerDrawDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(kFlagSize.width(), box_.ItemHeight());
}
