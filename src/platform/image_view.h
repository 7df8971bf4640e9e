#pragma once

#include <string>

#include "platform/view.h"

namespace twl {

// Shows one of the client's images by name ("checked", "uncheck", ...). A
// name the client has no image for shows nothing.
class ImageView : public View {
  public:
    virtual void setImage(const std::string& imageName) = 0;
    virtual std::string imageName() const = 0;
};

}  // namespace twl
