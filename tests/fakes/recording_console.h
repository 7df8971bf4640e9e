#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace twl::fakes {

class RecordingConsole final : public Console {
  public:
    void writeLine(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

}  // namespace twl::fakes
