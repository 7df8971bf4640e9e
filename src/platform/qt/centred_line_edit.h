#pragma once

#include <QLineEdit>
#include <QRectF>
#include <QSizeF>

namespace twl {

// A single-line field whose text sits vertically centred by centredTextRect:
// the rect is recomputed from the field's frame, style, font and content
// whenever one of them changes, and the same rect serves drawing and editing,
// so the text does not move when the caret arrives or leaves. The centring is
// carried by the top and bottom text margins, which this class owns; the left
// and right ones stay the caller's.
class CentredLineEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit CentredLineEdit(QWidget* parent = nullptr);

    // Where the base class would put the text for the current frame.
    QRectF titleRect() const;
    // The height the current content needs (its width is not used).
    QSizeF contentSize() const;
    // The centred rect for the current frame and content.
    QRectF textRect() const;

    // Size hints ignore the centring margins, which follow the size rather
    // than lead it.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void recentre();
};

}  // namespace twl
