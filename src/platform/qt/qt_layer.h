#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/layer.h"

namespace twl {

// A widget's backing layer. The colours live in the widget (as properties) and
// are painted through a rule appended to the widget's own style sheet, which
// wins over the layout's look for that widget only.
class QtLayer final : public Layer {
  public:
    explicit QtLayer(QWidget* widget) : widget_(widget) {}

    void setBackgroundColor(const Color& color) override;
    std::optional<Color> backgroundColor() const override;
    void setBorderColor(const Color& color) override;
    std::optional<Color> borderColor() const override;
    void removeAllAnimations() override;

  private:
    std::optional<Color> colorProperty(const char* name) const;
    void setColorProperty(const char* name, const Color& color);

    QPointer<QWidget> widget_;
};

}  // namespace twl
