#pragma once

#include "platform/view.h"

namespace twl {

// A panel that groups other views; the screens only show and hide it.
class Box : public View {};

}  // namespace twl
