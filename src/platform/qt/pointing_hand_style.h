#pragma once

#include <QPointer>
#include <QProxyStyle>

namespace twl {

// The application style that gives every button and every table view, in every
// window, the pointing-hand cursor over its whole bounds, from the moment it is
// polished: widgets made after start-up and disabled ones included, without
// any screen doing anything. A table view's viewport, headers and scroll bars
// inherit it.
//
// The toolkit shows the nearest enabled ancestor's cursor over a disabled
// widget, so while the mouse is over a disabled one the hand is held as the
// application's override cursor, and given back when the mouse leaves, the
// widget is enabled, hidden or destroyed, or its window loses activation.
class PointingHandStyle : public QProxyStyle {
    Q_OBJECT

  public:
    // Wraps the named style (the platform default when empty or unknown).
    explicit PointingHandStyle(const QString& baseStyleKey = QString());
    ~PointingHandStyle() override;

    using QProxyStyle::polish;
    using QProxyStyle::unpolish;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;

    // Whether the rule applies to the widget: buttons and table views.
    static bool takesPointingHand(const QWidget* widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void holdOverrideFor(QWidget* widget);
    void releaseOverride();

    QPointer<QWidget> overrideHolder_;
    bool overrideActive_ = false;
};

}  // namespace twl
