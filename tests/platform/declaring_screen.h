#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "platform/box.h"
#include "platform/busy_indicator.h"
#include "platform/button.h"
#include "platform/image_view.h"
#include "platform/mouse_event.h"
#include "platform/outlet_binder.h"
#include "platform/text_field.h"
#include "platform/view_controller.h"

namespace twl::test_support {

enum class Facade { view, textField, button, imageView, box, busyIndicator };

struct DeclaredOutlet {
    std::string name;
    Facade facade;
};

// A screen that declares whatever outlets and actions a test lists, as the
// real screens will, and records what reaches it.
class DeclaringScreen final : public ViewController {
  public:
    using Slot =
        std::variant<std::weak_ptr<View>, std::weak_ptr<TextField>, std::weak_ptr<Button>,
                     std::weak_ptr<ImageView>, std::weak_ptr<Box>, std::weak_ptr<BusyIndicator>>;

    DeclaringScreen(std::string identifier, std::vector<DeclaredOutlet> outlets,
                    std::vector<std::string> actions)
        : outlets_(std::move(outlets)), actions_(std::move(actions)) {
        setStoryboardIdentifier(std::move(identifier));
    }

    void bindOutlets(OutletBinder& binder) override {
        for (const auto& [name, facade] : outlets_) {
            Slot& slot = boundOutlets[name];
            switch (facade) {
                case Facade::view:
                    bindAs<View>(binder, name, slot);
                    break;
                case Facade::textField:
                    bindAs<TextField>(binder, name, slot);
                    break;
                case Facade::button:
                    bindAs<Button>(binder, name, slot);
                    break;
                case Facade::imageView:
                    bindAs<ImageView>(binder, name, slot);
                    break;
                case Facade::box:
                    bindAs<Box>(binder, name, slot);
                    break;
                case Facade::busyIndicator:
                    bindAs<BusyIndicator>(binder, name, slot);
                    break;
            }
        }
        for (const auto& name : actions_) {
            binder.action(name, [this, name] { sent.push_back(name); });
        }
    }
    void mouseEntered(const MouseEvent& event) override { hovers.push_back({true, event}); }
    void mouseExited(const MouseEvent& event) override { hovers.push_back({false, event}); }

    bool isBound(const std::string& name) const {
        return std::visit([](const auto& weak) { return !weak.expired(); }, boundOutlets.at(name));
    }

    std::map<std::string, Slot> boundOutlets;
    std::vector<std::string> sent;
    std::vector<std::pair<bool, MouseEvent>> hovers;

  private:
    template <typename F>
    static void bindAs(OutletBinder& binder, const std::string& name, Slot& slot) {
        slot = std::weak_ptr<F>();
        binder.outlet(name, std::get<std::weak_ptr<F>>(slot));
    }

    std::vector<DeclaredOutlet> outlets_;
    std::vector<std::string> actions_;
};

}  // namespace twl::test_support
