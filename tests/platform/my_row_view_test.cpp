#include "platform/qt/my_row_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <memory>

#include "offscreen_application.h"

namespace twl {
namespace {

const QColor kLightBlue(203, 232, 246);

class RowPainting : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::offscreenApplication();
        model_ = std::make_unique<QStandardItemModel>(3, 2);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 2; ++column) {
                model_->setItem(row, column, new QStandardItem(QString("r%1").arg(row)));
            }
        }
    }

    // One cell painted by a delegate into an image prefilled with magenta,
    // the painter clipped to `clip` (cell coordinates).
    QImage paintCell(QStyledItemDelegate& delegate, bool selected, const QRect& clip) const {
        QImage image(120, 24, QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        option.state = QStyle::State_Enabled | QStyle::State_Active;
        if (selected) {
            option.state |= QStyle::State_Selected;
        }
        option.palette = QApplication::palette();
        option.font = QApplication::font();
        option.fontMetrics = QFontMetrics(option.font);
        QPainter painter(&image);
        painter.setClipRect(clip);
        delegate.paint(&painter, option, model_->index(1, 0));
        return image;
    }

    std::unique_ptr<QStandardItemModel> model_;
};

TEST_F(RowPainting, SelectedRowIsLightBlueAndOthersAreNot) {
    QTableView view;
    view.setModel(model_.get());
    MyRowView rowView;
    view.setItemDelegate(&rowView);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.selectRow(1);

    const QImage image = view.viewport()->grab().toImage();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            // Away from the text: the right end of the cell.
            const QRect cell = view.visualRect(model_->index(row, column));
            const QColor pixel = image.pixelColor(cell.right() - 4, cell.center().y());
            if (row == 1) {
                EXPECT_EQ(pixel, kLightBlue) << "row " << row << " column " << column;
            } else {
                EXPECT_NE(pixel, kLightBlue) << "row " << row << " column " << column;
            }
        }
    }
}

TEST_F(RowPainting, SelectedTextStaysReadableOnTheBlue) {
    MyRowView rowView;
    const QImage image = paintCell(rowView, true, QRect(0, 0, 120, 24));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 110 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 5) << "the row's text is drawn over the fill";
}

TEST_F(RowPainting, PartialRedrawFillsOnlyTheRedrawnPart) {
    MyRowView rowView;
    const QImage image = paintCell(rowView, true, QRect(60, 0, 60, 24));
    EXPECT_EQ(image.pixelColor(100, 12), kLightBlue);
    EXPECT_EQ(image.pixelColor(30, 12), QColor(Qt::magenta)) << "outside the dirty rect";
}

TEST_F(RowPainting, UnselectedRowDrawsExactlyWhatTheBaseDraws) {
    MyRowView rowView;
    QStyledItemDelegate base;
    const QRect all(0, 0, 120, 24);
    EXPECT_EQ(paintCell(rowView, false, all), paintCell(base, false, all));
}

}  // namespace
}  // namespace twl
