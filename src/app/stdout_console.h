#pragma once

#include "platform/console.h"

namespace twl {

// Diagnostic lines on standard output, flushed line by line so that a reader at
// the other end of a pipe sees each one as it happens.
class StdoutConsole final : public Console {
  public:
    void writeLine(std::string_view text) override;
};

}  // namespace twl
