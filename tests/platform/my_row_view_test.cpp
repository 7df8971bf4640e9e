#include "platform/qt/my_row_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace twl {
namespace {

TEST(MyRowView, TheSelectedRowIsLightBlueWithItsTextAndOthersAreNot) {
    QStandardItemModel model(3, 2);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            model.setItem(row, column, new QStandardItem(QString("row %1").arg(row)));
        }
    }
    QTableView view;
    view.setModel(&model);
    MyRowView rowView;
    view.setItemDelegate(&rowView);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.selectRow(1);

    const QImage image = view.viewport()->grab().toImage();
    for (int row = 0; row < 3; ++row) {
        const QRect cell = view.visualRect(model.index(row, 1));
        const QColor pixel = image.pixelColor(cell.right() - 4, cell.center().y());
        EXPECT_EQ(pixel == QColor(203, 232, 246), row == 1) << "row " << row;
    }
    const QRect text = view.visualRect(model.index(1, 0));
    int dark = 0;
    for (int x = text.left(); x < text.right(); ++x) {
        dark += qGray(image.pixel(x, text.center().y())) < 110 ? 1 : 0;
    }
    EXPECT_GT(dark, 0) << "the row's text is drawn over the fill";
}

}  // namespace
}  // namespace twl
