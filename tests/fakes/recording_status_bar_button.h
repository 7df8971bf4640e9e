#pragma once

#include <string>
#include <vector>

#include "platform/status_bar_button.h"

namespace twl::fakes {

// Remembers every image it was given, in order.
class RecordingStatusBarButton final : public StatusBarButton {
  public:
    void setImage(const std::string& imageName) override { images.push_back(imageName); }
    std::string imageName() const override { return images.empty() ? "" : images.back(); }

    std::vector<std::string> images;
};

}  // namespace twl::fakes
