#include "platform/qt/my_row_view.h"

#include <QApplication>
#include <QColor>
#include <QPainter>

#include "ui/row_selection.h"

namespace twl {

namespace {

// The part of the cell this paint reaches: the cell, cut to the painter's clip.
QRectF dirtyRect(const QPainter& painter, const QRect& cell) {
    QRectF dirty(cell);
    if (painter.hasClipping()) {
        dirty = dirty.intersected(painter.clipBoundingRect());
    }
    return dirty;
}

}  // namespace

MyRowView::MyRowView(QObject* parent) : QStyledItemDelegate(parent) {}

void MyRowView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const {
    const QRectF dirty = dirtyRect(*painter, option.rect);
    const auto fill = selectedRowFill(option.state.testFlag(QStyle::State_Selected),
                                      Rect{dirty.x(), dirty.y(), dirty.width(), dirty.height()});
    if (!fill) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->fillRect(QRectF(fill->x, fill->y, fill->width, fill->height),
                      QColor::fromRgbF(static_cast<float>(selectedRowColor.red),
                                       static_cast<float>(selectedRowColor.green),
                                       static_cast<float>(selectedRowColor.blue),
                                       static_cast<float>(selectedRowColor.alpha)));
    // The content goes on top of the blue, without a highlight of its own, a
    // focus tint or an item background that would change it (the base paint,
    // with those taken out after the model has had its say). The blue row
    // already marks where the selection is.
    QStyleOptionViewItem content = option;
    initStyleOption(&content, index);
    content.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    content.backgroundBrush = Qt::NoBrush;
    const QWidget* widget = content.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &content, painter, widget);
}

}  // namespace twl
