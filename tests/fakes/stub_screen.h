#pragma once

#include <string>
#include <vector>

#include "platform/mouse_event.h"
#include "platform/view_controller.h"

namespace twl::fakes {

// A screen that stands for one not under test: it binds nothing and records
// the life-cycle calls the window and the layouts make.
class StubScreen : public ViewController {
  public:
    void viewDidLoad() override { events.emplace_back("viewDidLoad"); }
    void mouseEntered(const MouseEvent&) override { events.emplace_back("mouseEntered"); }
    void cancelOperation() override {
        events.emplace_back("cancelOperation");
        ViewController::cancelOperation();
    }

    std::vector<std::string> events;
};

}  // namespace twl::fakes
