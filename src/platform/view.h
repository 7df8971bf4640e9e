#pragma once

#include <memory>

namespace twl {

class Layer;

// A view of a screen's layout. Facades are thin: the platform keeps the state,
// so two facades over the same view always agree. Every call is made on the
// main thread; a facade whose view has gone does nothing and reads as empty.
class View {
  public:
    virtual ~View() = default;

    virtual void setHidden(bool hidden) = 0;
    virtual bool isHidden() const = 0;

    // The view's backing layer, or nothing when it has none. A layout decides
    // which views start with one; setWantsLayer(true) gives any view one.
    virtual std::shared_ptr<Layer> layer() = 0;
    virtual void setWantsLayer(bool wantsLayer) = 0;

    // The view that contains this one, or nothing for a view outside any
    // window's view tree.
    virtual std::shared_ptr<View> superview() = 0;
};

}  // namespace twl
