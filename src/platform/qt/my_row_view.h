#pragma once

#include <QStyledItemDelegate>

namespace twl {

// Paints the rows of a table view: an unselected row exactly as the base
// delegate does; a selected row on the light blue of selectedRowColor, filled
// over the part being redrawn only, with the row's content drawn on top
// instead of the style's own selection highlight. Set it on a view (or on
// chosen rows with setItemDelegateForRow).
class MyRowView : public QStyledItemDelegate {
    Q_OBJECT

  public:
    explicit MyRowView(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace twl
