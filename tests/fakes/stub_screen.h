#pragma once

#include <string>
#include <vector>

#include "platform/mouse_event.h"
#include "platform/view_controller.h"

namespace twl::fakes {

// A screen that stands for one not written yet (or not under test): it binds
// nothing and records its life-cycle calls, e.g. to check that "the window's
// content became a new MainController":
//
//     storyboard.registerController("MainController",
//                                   [] { return std::make_shared<fakes::StubScreen>(); });
//     ...
//     EXPECT_EQ(window->contentViewController()->storyboardIdentifier(), "MainController");
class StubScreen : public ViewController {
  public:
    void viewDidLoad() override { events.emplace_back("viewDidLoad"); }
    void viewDidAppear() override { events.emplace_back("viewDidAppear"); }
    void mouseEntered(const MouseEvent&) override { events.emplace_back("mouseEntered"); }
    void mouseExited(const MouseEvent&) override { events.emplace_back("mouseExited"); }
    void cancelOperation() override {
        events.emplace_back("cancelOperation");
        ViewController::cancelOperation();
    }

    std::vector<std::string> events;
};

}  // namespace twl::fakes
