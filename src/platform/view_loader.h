#pragma once

#include <memory>

namespace twl {

class View;
class ViewController;

// Makes a screen's views from the layout of its storyboard identifier and binds
// them to the screen's outlets and actions. Windows call it (through
// ViewController::loadViewIfNeeded) the first time they show a screen.
class ViewLoader {
  public:
    virtual ~ViewLoader() = default;

    // The root view, which owns every view of the layout and keeps the bound
    // outlets alive as long as the root lives. Throws std::logic_error when the
    // identifier has no layout or the screen names an outlet or action the
    // layout lacks.
    virtual std::shared_ptr<View> loadView(ViewController& controller) = 0;
};

}  // namespace twl
