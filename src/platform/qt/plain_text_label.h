#pragma once

#include <QObject>
#include <QString>

class QLabel;

namespace twl {

// Shows text from outside (a server's message, the public-IP reply) on a label
// as plain text: never read as markup, broken into lines that fit the label's
// width (anywhere, if a word is too long), at most a few lines, the rest elided
// with the text in the tooltip; past a thousand characters it is cut. The
// label never grows its window, and the text is fitted again whenever the
// label is resized.
class PlainTextLabel final : public QObject {
    Q_OBJECT

  public:
    // The one attached to `label`, made on first use; owned by the label.
    static PlainTextLabel& of(QLabel& label);

    void setText(const QString& text);
    // The whole text, as given.
    const QString& text() const { return text_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit PlainTextLabel(QLabel& label);
    void fit();

    QLabel& label_;
    QString text_;
};

}  // namespace twl
