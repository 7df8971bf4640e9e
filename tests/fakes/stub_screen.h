#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/storyboard.h"
#include "screens/view_controller.h"

namespace twl::fakes {

// A screen that stands for one not under test: an empty root of the given
// size, and a record of the cancellations the window passes it.
class StubScreen : public ViewController {
  public:
    explicit StubScreen(QSize size = {380, 580}) : size_(size) {}

    void cancelOperation() override {
        events.emplace_back("cancelOperation");
        ViewController::cancelOperation();
    }

    std::vector<std::string> events;

  protected:
    void loadView(QWidget& root) override { root.resize(size_); }

  private:
    QSize size_;
};

// Makes stub screens in place of a real one.
inline Storyboard::Factory stubScreens() {
    return [](const std::string& identifier) {
        auto screen = std::make_shared<StubScreen>();
        screen->setStoryboardIdentifier(identifier);
        return screen;
    };
}

}  // namespace twl::fakes
