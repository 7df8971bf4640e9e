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
//
// The placeholder is drawn here, in the colour and font of the field's
// placeholderColor and placeholderFont properties (view_properties.h): the
// base class would draw it in the field's own font, in a colour that a style
// sheet overrides whenever it polishes the field.
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
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void recentre();
    void silenceBasePlaceholder();
    QFont placeholderFont() const;
    QColor placeholderColor() const;

    bool composing_ = false;  // an input method is composing text
};

}  // namespace twl
