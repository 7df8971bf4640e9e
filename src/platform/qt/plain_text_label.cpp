#include "platform/qt/plain_text_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QStringList>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

namespace twl {
namespace {

// A wrapping label (the error panel) gets a few lines; any other label one.
constexpr int wrappedLines = 3;
// Far more than a few lines can show: a longer text is cut before it is laid
// out, so that a huge reply cannot hold the window up at each resize.
constexpr qsizetype longestText = 1000;

QString bounded(const QString& text) {
    if (text.size() <= longestText) {
        return text;
    }
    const bool splitsAPair = text.at(longestText - 1).isHighSurrogate();
    return text.left(longestText - (splitsAPair ? 1 : 0)) + QChar(0x2026);
}

struct Fitted {
    QString shown;
    bool elided = false;
};

// The lines `text` takes at `width` pixels when wrapped as `mode` says.
QStringList linesOf(const QString& text, const QFont& font, int width, QTextOption::WrapMode mode,
                    int maxLines, bool& fitsWidth) {
    QString flowing = text;
    flowing.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flowing, font);
    QTextOption option;
    option.setWrapMode(mode);
    layout.setTextOption(option);
    QStringList lines;
    fitsWidth = true;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        fitsWidth = fitsWidth && line.naturalTextWidth() <= width;
        lines << flowing.mid(line.textStart(),
                             lines.size() + 1 == maxLines ? -1 : line.textLength());
        if (lines.size() == maxLines) {
            break;  // the last line holds the rest
        }
    }
    layout.endLayout();
    return lines;
}

// `text` itself when it fits in `maxLines` lines of `width` pixels; otherwise
// broken anywhere it must be, with the last line elided.
Fitted fitted(const QString& text, const QFont& font, int width, int maxLines) {
    bool fitsWidth = true;
    const auto wordLines =
        linesOf(text, font, width, QTextOption::WordWrap, maxLines + 1, fitsWidth);
    if (wordLines.size() <= maxLines && fitsWidth) {
        return {text, false};
    }
    QStringList lines =
        linesOf(text, font, width, QTextOption::WrapAtWordBoundaryOrAnywhere, maxLines, fitsWidth);
    for (QString& line : lines) {
        line.replace(QChar::LineSeparator, QLatin1Char(' '));
    }
    QString& last = lines.back();
    last = QFontMetrics(font).elidedText(last.trimmed(), Qt::ElideRight, width, Qt::TextSingleLine);
    for (QString& line : lines) {
        line = line.trimmed();
    }
    return {lines.join(QLatin1Char('\n')), true};
}

}  // namespace

PlainTextLabel& PlainTextLabel::of(QLabel& label) {
    if (auto* attached = label.findChild<PlainTextLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        return *attached;
    }
    return *new PlainTextLabel(label);  // owned by the label
}

PlainTextLabel::PlainTextLabel(QLabel& label)
    : QObject(&label), label_(label), text_(label.text()) {
    label_.setTextFormat(Qt::PlainText);
    label_.setTextInteractionFlags(Qt::NoTextInteraction);
    // The text follows the width the layout gives, never the other way round.
    QSizePolicy policy = label_.sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    label_.setSizePolicy(policy);
    label_.installEventFilter(this);
}

void PlainTextLabel::setText(const QString& text) {
    text_ = text;
    fit();
}

bool PlainTextLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &label_ && event->type() == QEvent::Resize) {
        fit();
    }
    return QObject::eventFilter(watched, event);
}

void PlainTextLabel::fit() {
    const int width = std::max(label_.contentsRect().width(), 1);
    const QString text = bounded(text_);
    const Fitted fit = fitted(text, label_.font(), width, label_.wordWrap() ? wrappedLines : 1);
    if (fit.shown != label_.text()) {
        label_.setText(fit.shown);
    }
    // A tooltip takes markup by itself: escaped, the text stays text.
    label_.setToolTip(fit.elided ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal)
                                 : QString());
}

}  // namespace twl
