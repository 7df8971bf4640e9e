#include "platform/qt/centred_line_edit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

#include "ui/text_centring.h"

namespace twl {

CentredLineEdit::CentredLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { recentre(); });
    recentre();
}

QRectF CentredLineEdit::titleRect() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

QSizeF CentredLineEdit::contentSize() const {
    // The same measure the base class lines its text up with: the font's line
    // height, or the shown string's if a glyph reaches further.
    const QFontMetrics metrics = fontMetrics();
    const QString shown = text().isEmpty() ? placeholderText() : text();
    const QRect bounds = metrics.boundingRect(shown);
    return QSizeF(bounds.width(), std::max(bounds.height(), metrics.height()));
}

QRectF CentredLineEdit::textRect() const {
    const QRectF title = titleRect();
    const QSizeF content = contentSize();
    const Rect centred = centredTextRect(Rect{title.x(), title.y(), title.width(), title.height()},
                                         Size{content.width(), content.height()});
    return QRectF(centred.x, centred.y, centred.width, centred.height);
}

QSize CentredLineEdit::sizeHint() const {
    QSize hint = QLineEdit::sizeHint();
    const QMargins margins = textMargins();
    hint.rheight() -= margins.top() + margins.bottom();
    return hint;
}

QSize CentredLineEdit::minimumSizeHint() const {
    QSize hint = QLineEdit::minimumSizeHint();
    const QMargins margins = textMargins();
    hint.rheight() -= margins.top() + margins.bottom();
    return hint;
}

void CentredLineEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    recentre();
}

void CentredLineEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        recentre();
    }
}

void CentredLineEdit::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    recentre();  // the style may have changed the frame when the field was polished
}

void CentredLineEdit::recentre() {
    // The base class lays its text into the title rect less the text margins,
    // centred there; margins that shrink that rect to the centred one put the
    // text exactly on it, whether it is being edited or not.
    const QRectF title = titleRect();
    const QRectF centred = textRect();
    const int spare = static_cast<int>(std::lround(title.height() - centred.height()));
    const int top = static_cast<int>(std::floor(centred.y() - title.y() + 0.5));
    QMargins margins = textMargins();
    margins.setTop(top);
    margins.setBottom(spare - top);
    if (margins != textMargins()) {
        setTextMargins(margins);
    }
}

}  // namespace twl
