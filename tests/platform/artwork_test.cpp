#include <gtest/gtest.h>

#include <QImage>

#include "platform/qt/interface_components.h"

namespace twl {
namespace {

// A name missing from the resources would show nothing, silently.
TEST(Artwork, EveryPictureLoadsByNameOnTransparency) {
    registerInterfaceArtwork();
    for (const char* name : {"menubar", "menubar_hover", "checked", "uncheck", "tidewaterlink"}) {
        const QImage image(QString(":/images/%1.png").arg(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name;
    }
}

}  // namespace
}  // namespace twl
