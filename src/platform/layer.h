#pragma once

#include <optional>

#include "platform/color.h"

namespace twl {

// The backing layer of a view: the colours it paints behind and around the
// view, and the animations running on it. Only views that have a layer
// (View::layer) offer one.
class Layer {
  public:
    virtual ~Layer() = default;

    virtual void setBackgroundColor(const Color& color) = 0;
    virtual std::optional<Color> backgroundColor() const = 0;
    virtual void setBorderColor(const Color& color) = 0;
    virtual std::optional<Color> borderColor() const = 0;
    // Stops whatever is animating on the layer (a busy indicator's spin, say).
    virtual void removeAllAnimations() = 0;
};

}  // namespace twl
