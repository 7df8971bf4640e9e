#pragma once

#include <memory>
#include <vector>

#include "fakes/fake_status_item.h"
#include "platform/status_bar.h"

namespace twl::fakes {

// Keeps every item it made, for tests to inspect.
class FakeStatusBar final : public StatusBar {
  public:
    std::shared_ptr<StatusItem> statusItemWithLength(double) override {
        auto item = std::make_shared<FakeStatusItem>();
        items.push_back(item);
        return item;
    }

    std::vector<std::shared_ptr<FakeStatusItem>> items;
};

}  // namespace twl::fakes
