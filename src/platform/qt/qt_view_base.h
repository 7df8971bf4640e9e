#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/layer.h"
#include "platform/view.h"

namespace twl {

// The View operations on any widget, shared by every facade.
namespace widget_view {
void setHidden(QWidget* widget, bool hidden);
bool isHidden(const QWidget* widget);
std::shared_ptr<Layer> layer(QWidget* widget);
void setWantsLayer(QWidget* widget, bool wantsLayer);
std::shared_ptr<View> superview(QWidget* widget);
// The widget's own enabled flag, whatever its ancestors say.
bool isEnabled(const QWidget* widget);
}  // namespace widget_view

// A facade over a widget it does not own. The widget keeps all state, so any
// number of facades over it agree; once the widget is gone, calls do nothing.
template <typename Facade>
class QtViewBase : public Facade {
  public:
    explicit QtViewBase(QWidget* widget) : widget_(widget) {}

    void setHidden(bool hidden) override { widget_view::setHidden(widget_, hidden); }
    bool isHidden() const override { return widget_view::isHidden(widget_); }
    std::shared_ptr<Layer> layer() override { return widget_view::layer(widget_); }
    void setWantsLayer(bool wantsLayer) override {
        widget_view::setWantsLayer(widget_, wantsLayer);
    }
    std::shared_ptr<View> superview() override { return widget_view::superview(widget_); }

    QWidget* widget() const { return widget_.data(); }

  protected:
    QPointer<QWidget> widget_;
};

}  // namespace twl
