#include <gtest/gtest.h>

#include <QImage>
#include <ostream>

#include "offscreen_application.h"
#include "platform/qt/interface_components.h"

namespace twl {
namespace {

struct Picture {
    const char* name;
    int size;  // pixels at 1x
    bool hasDouble;

    friend void PrintTo(const Picture& p, std::ostream* out) { *out << p.name; }
};

class Artwork : public ::testing::TestWithParam<Picture> {
  protected:
    static void SetUpTestSuite() {
        testing::offscreenApplication();
        registerInterfaceArtwork();
    }
};

TEST_P(Artwork, LoadsByNameAtItsSizeWithATransparentSurround) {
    const QString path = QString(":/images/%1.png").arg(GetParam().name);
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_EQ(image.size(), QSize(GetParam().size, GetParam().size));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "drawn on transparency, not on a backdrop";
    EXPECT_GT(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 0) << "not empty";

    if (GetParam().hasDouble) {
        const QImage twice(QString(":/images/%1@2x.png").arg(GetParam().name));
        EXPECT_EQ(twice.size(), QSize(GetParam().size * 2, GetParam().size * 2))
            << "the double, for high-density screens";
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, Artwork,
                         ::testing::Values(Picture{"menubar", 22, true},
                                           Picture{"menubar_hover", 22, true},
                                           Picture{"checked", 18, true},
                                           Picture{"uncheck", 18, true},
                                           Picture{"tidewaterlink", 256, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace twl
