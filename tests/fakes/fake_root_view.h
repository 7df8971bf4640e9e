#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_view_base.h"

namespace twl {
class ViewController;
}

namespace twl::fakes {

// The root of a screen loaded by FakeViewLoader: it owns the fake views bound
// to the screen's outlets and lets a test act as the user would.
//
//     auto& views = fakes::FakeRootView::of(*controller);
//     views.outlet<fakes::FakeTextField>("edtUserName")->setStringValue("john");
//     views.performAction("btnLogin");
class FakeRootView final : public FakeViewBase<View> {
  public:
    using Action = std::function<void()>;

    // A root has no layer until the screen asks for one.
    FakeRootView() : FakeViewBase(false) {}

    // The loaded root of a screen; throws when the screen was not loaded by a
    // FakeViewLoader.
    static FakeRootView& of(const ViewController& controller);

    // The fake bound to the named outlet, as the fake type the test expects.
    template <typename Fake>
    std::shared_ptr<Fake> outlet(std::string_view name) const {
        auto found = outlets_.find(name);
        if (found == outlets_.end()) {
            throw std::out_of_range("the screen bound no outlet '" + std::string(name) + "'");
        }
        auto typed = std::dynamic_pointer_cast<Fake>(found->second);
        if (!typed) {
            throw std::logic_error("outlet '" + std::string(name) + "' is of another kind");
        }
        return typed;
    }
    std::shared_ptr<View> anyOutlet(std::string_view name) const;

    // Clicks the control (or presses Return in the field). The screen is kept
    // alive until its action returns, as it would be on screen.
    void performAction(std::string_view controlName);

    // For the loader.
    void addOutlet(std::string name, std::shared_ptr<View> view);
    void addAction(std::string controlName, Action action);
    void setController(std::weak_ptr<ViewController> controller);

  private:
    std::map<std::string, std::shared_ptr<View>, std::less<>> outlets_;
    std::map<std::string, std::vector<Action>, std::less<>> actions_;
    std::weak_ptr<ViewController> controller_;
};

}  // namespace twl::fakes
