#include <gtest/gtest.h>

#include <ostream>

#include "ui/row_selection.h"
#include "ui/text_centring.h"

namespace twl {
namespace {

struct CentringCase {
    const char* name;
    Rect title;
    Size content;
    Rect expected;

    friend void PrintTo(const CentringCase& c, std::ostream* out) { *out << c.name; }
};

class TextCentring : public ::testing::TestWithParam<CentringCase> {};

TEST_P(TextCentring, KeepsTheTitleRectsXAndWidthAndCentresTheContentHeight) {
    EXPECT_EQ(centredTextRect(GetParam().title, GetParam().content), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCentring,
    ::testing::Values(
        CentringCase{"ShorterContentStartsHalfTheDifferenceBelow",
                     {10, 100, 200, 30},
                     {50, 16},
                     {10, 107, 200, 16}},
        CentringCase{"ContentAsHighAsTheTitleRectGivesTheTitleRect",
                     {2.5, 3.5, 120, 22},
                     {120, 22},
                     {2.5, 3.5, 120, 22}},
        CentringCase{
            "TallerContentReachesEquallyAboveAndBelow", {0, 20, 80, 18}, {10, 22}, {0, 18, 80, 22}},
        CentringCase{"OddDifferenceStaysFractional", {0, 0, 50, 21}, {10, 16}, {0, 2.5, 50, 16}},
        CentringCase{
            "ContentWidthNeverChangesTheRect", {4, 4, 60, 30}, {500, 16}, {4, 11, 60, 16}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SelectedRow, FillsExactlyTheDirtyRectOnlyWhenSelected) {
    const Rect partial{30, 0, 40, 12};
    EXPECT_EQ(selectedRowFill(true, partial), partial);
    EXPECT_EQ(selectedRowFill(false, partial), std::nullopt);
}

}  // namespace
}  // namespace twl
