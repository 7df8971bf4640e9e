#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace twl {

// A new random UUID (version 4) as 36 lower-case characters, e.g.
// "0f8fad5b-d9cb-469f-a165-70867728950e". Safe to call from any thread.
std::string newUuidV4();

// The text of the UUID made of these 16 random bytes, with the version and
// variant bits set as version 4 requires.
std::string formatUuidV4(std::array<std::uint8_t, 16> bytes);

}  // namespace twl
