#pragma once

#include "platform/view_controller.h"

namespace twl {

// Shows a screen's layout with nothing behind it, for an identifier whose
// controller has not been written yet. Replaced screen by screen.
class PlaceholderScreen final : public ViewController {};

}  // namespace twl
