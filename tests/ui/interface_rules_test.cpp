#include <gtest/gtest.h>

#include "ui/text_centring.h"

namespace twl {
namespace {

TEST(TextCentring, KeepsTheTitleRectsXAndWidthAndCentresTheContentHeight) {
    const std::vector<std::tuple<Rect, Size, Rect>> rows{
        {{10, 100, 200, 30}, {50, 16}, {10, 107, 200, 16}},  // shorter: half the rest below
        {{0, 20, 80, 18}, {10, 22}, {0, 18, 80, 22}},        // taller: equally above, below
        {{0, 0, 50, 21}, {500, 16}, {0, 2.5, 50, 16}},       // odd rest; width plays no part
    };
    for (const auto& [title, content, expected] : rows) {
        EXPECT_EQ(centredTextRect(title, content), expected);
    }
}

}  // namespace
}  // namespace twl
