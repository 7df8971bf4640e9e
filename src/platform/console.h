#pragma once

#include <string_view>

namespace twl {

// Where the client's diagnostic lines go (standard output in the real client).
class Console {
  public:
    virtual ~Console() = default;
    // Writes the text and a line break, and flushes at once.
    virtual void writeLine(std::string_view text) = 0;
};

}  // namespace twl
