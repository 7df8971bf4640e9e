#pragma once

#include <string>

#include "platform/view.h"

namespace twl {

// A push button (or any control that sends its action when clicked).
class Button : public View {
  public:
    virtual std::string title() const = 0;
    virtual void setTitle(const std::string& title) = 0;

    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

}  // namespace twl
