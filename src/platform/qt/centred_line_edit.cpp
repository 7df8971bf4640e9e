#include "platform/qt/centred_line_edit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/qt/view_properties.h"
#include "ui/text_centring.h"

namespace twl {

namespace {

// How far the base class sets its text in from the margins.
constexpr qreal baseTextInset = 2.0;

}  // namespace

CentredLineEdit::CentredLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { recentre(); });
    recentre();
    silenceBasePlaceholder();
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

QFont CentredLineEdit::placeholderFont() const {
    const QVariant font = property(view_property::placeholderFont);
    return font.isValid() ? font.value<QFont>() : this->font();
}

QColor CentredLineEdit::placeholderColor() const {
    if (const QVariant color = property(view_property::placeholderColor); color.isValid()) {
        return color.value<QColor>();
    }
    // Without a colour of its own, the look the base class gives it.
    QColor faded = palette().color(QPalette::Text);
    faded.setAlpha((faded.alpha() + 1) / 2);
    return faded;
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

bool CentredLineEdit::event(QEvent* event) {
    const bool handled = QLineEdit::event(event);
    switch (event->type()) {
        case QEvent::Polish:
        case QEvent::PaletteChange:
            // A style sheet hands the field a new palette each time it polishes it.
            silenceBasePlaceholder();
            break;
        case QEvent::DynamicPropertyChange:
            update();
            break;
        default:
            break;
    }
    return handled;
}

void CentredLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    composing_ = !event->preeditString().isEmpty();
    QLineEdit::inputMethodEvent(event);
}

void CentredLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    // Shown when the base class would show it: nothing typed or being composed,
    // and not a centred field that has the caret.
    if (!text().isEmpty() || composing_ || placeholderText().isEmpty() ||
        (hasFocus() && (alignment() & Qt::AlignHCenter))) {
        return;
    }
    const QMargins margins = textMargins();
    const QRectF centred = textRect();
    const QRectF line(centred.x() + margins.left() + baseTextInset, centred.y(),
                      centred.width() - margins.left() - margins.right() - 2 * baseTextInset,
                      centred.height());
    QPainter painter(this);
    painter.setFont(placeholderFont());
    painter.setPen(placeholderColor());
    const QString shown = painter.fontMetrics().elidedText(placeholderText(), Qt::ElideRight,
                                                           static_cast<int>(line.width()));
    const Qt::Alignment across =
        QStyle::visualAlignment(layoutDirection(), alignment() & Qt::AlignHorizontal_Mask);
    painter.drawText(line, static_cast<int>(across | Qt::AlignVCenter), shown);
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

void CentredLineEdit::silenceBasePlaceholder() {
    // The base class draws its placeholder in the palette's colour; a clear one
    // leaves the drawing to paintEvent.
    constexpr std::array groups{QPalette::Active, QPalette::Inactive, QPalette::Disabled};
    QPalette shown = palette();
    if (std::all_of(groups.begin(), groups.end(), [&](QPalette::ColorGroup group) {
            return shown.color(group, QPalette::PlaceholderText).alpha() == 0;
        })) {
        return;
    }
    shown.setColor(QPalette::PlaceholderText, Qt::transparent);
    setPalette(shown);
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
