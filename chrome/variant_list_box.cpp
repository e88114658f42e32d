#include "chrome/variant_list_box.h"

#include "chrome/title_tip.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace vorlex::chrome {
namespace {

// Space between a line's text and its column, and at the column's right end.
constexpr int kColumnGap = 6;

// Paints a line with a column text: the line's text clipped before the column, the column text
// right-aligned in it; lines without one are painted as usual.
class ColumnDelegate final : public QStyledItemDelegate {
public:
    explicit ColumnDelegate(VariantListBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString column = index.data(VariantListBox::kColumnRole).toString();
        if (column.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QString label = item.text;
        item.text.clear();
        QStyle* style = list_->style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, list_);
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, list_);
        const QRect columnRect = list_->columnRect(textRect);
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        const QPalette::ColorGroup group =
            (item.state & QStyle::State_Enabled) != 0 ? QPalette::Normal : QPalette::Disabled;
        painter->save();
        painter->setPen(
            item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        QRect labelRect = textRect;
        labelRect.setRight(std::max(textRect.left(), columnRect.left() - kColumnGap));
        painter->setClipRect(labelRect);
        painter->setFont(item.font);
        painter->drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label);
        painter->setClipping(false);
        painter->setFont(list_->columnFont());
        painter->drawText(columnRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          column);
        painter->restore();
    }

private:
    VariantListBox* list_;
};

} // namespace

VariantListBox::VariantListBox(QWidget* parent)
    : QListWidget(parent), tip_(std::make_unique<TitleTip>(this)) {
    tip_->setArmed(false);
    setItemDelegate(new ColumnDelegate(this));
}

VariantListBox::~VariantListBox() = default;

void VariantListBox::showTitleTip(const QString& text) {
    if (tip_->armed())
        tip_->hideTip();
    const QPoint pointer = mapFromGlobal(tip_->pointer() + QPoint(0, 20));
    const QRect onScreen(mapToGlobal(QPoint(0, 0)), size());
    tip_->setArmed(true);
    tip_->showTip(onScreen, text, pointer.x(), pointer.y());
}

void VariantListBox::setColumnTexts(const QStringList& longest) {
    columnTexts_ = longest;
    viewport()->update();
}

QFont VariantListBox::columnFont() const {
    const QFont own = window()->font();
    return QFontInfo(font()).pixelSize() > QFontInfo(own).pixelSize() ? own : font();
}

int VariantListBox::columnWidth() const {
    const QFontMetrics metrics(columnFont());
    int widest = 0;
    for (const QString& text : columnTexts_)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest == 0 ? 0 : widest + kColumnGap;
}

QRect VariantListBox::columnRect(const QRect& textRect) const {
    // An item is as wide as its whole line, far wider than the list: the column stands at the
    // right end of what is seen of it. Its gap stands half before its text and half after it.
    QRect seen = textRect;
    seen.setRight(std::min(textRect.right(), viewport()->rect().right()));
    const int width = std::clamp(columnWidth(), 0, std::max(0, seen.width()));
    const int left = seen.right() + 1 - width;
    const int right = seen.right() + 1 - std::min(width, kColumnGap / 2);
    return QRect(left, seen.top(), right - left, seen.height());
}

void VariantListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        emit rightButtonReleased(event->position().toPoint(), event->globalPosition().toPoint());
    QListWidget::mouseReleaseEvent(event);
}

} // namespace vorlex::chrome
