#include "platform/json_reading.h"

#include <gtest/gtest.h>

namespace twl {
namespace {

// Only brackets outside strings count toward the depth; a string ends at the
// first quote that is not escaped.
TEST(JsonReading, DepthCountsBracketsOutsideStringsOnly) {
    const std::pair<const char*, bool> rows[] = {
        {R"([{"a":1}])", true},   {R"([{"a":[]}])", false},   {R"([["[[[{{{"]])", true},
        {R"([["\"[[["]])", true}, {R"([["\\",[1]]])", false},
    };
    for (const auto& [text, accepted] : rows) {
        std::string error;
        EXPECT_EQ(readOutsideJson(text, error, 2).has_value(), accepted) << text << ": " << error;
    }
}

}  // namespace
}  // namespace twl
