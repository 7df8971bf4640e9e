#pragma once

#include <functional>
#include <memory>
#include <string_view>

namespace twl {

class Box;
class BusyIndicator;
class Button;
class ImageView;
class TextField;
class View;

// How a screen meets its layout. The platform calls ViewController::bindOutlets
// once, while it loads the layout, and the screen names each outlet and action
// by the object name its view has in the layout:
//
//     binder.outlet("btnConnect", btnConnect);                // weak outlet
//     binder.action("btnConnect", [this] { tryConnect(); });  // click / Return
//
// A name the layout lacks, or a view of the wrong kind, is a programming error
// that the platform reports loudly when it loads the layout. An action runs on
// the main thread, only while the screen's views exist, which the screen owns;
// capturing `this` is therefore safe.
class OutletBinder {
  public:
    using Action = std::function<void()>;

    virtual ~OutletBinder() = default;

    virtual void outlet(std::string_view name, std::weak_ptr<View>& slot) = 0;
    virtual void outlet(std::string_view name, std::weak_ptr<TextField>& slot) = 0;
    virtual void outlet(std::string_view name, std::weak_ptr<Button>& slot) = 0;
    virtual void outlet(std::string_view name, std::weak_ptr<ImageView>& slot) = 0;
    virtual void outlet(std::string_view name, std::weak_ptr<Box>& slot) = 0;
    virtual void outlet(std::string_view name, std::weak_ptr<BusyIndicator>& slot) = 0;

    // The control sends the action when clicked (buttons) or when Return is
    // pressed in it (text fields).
    virtual void action(std::string_view controlName, Action action) = 0;
};

}  // namespace twl
