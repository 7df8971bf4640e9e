// The login screen's widget tests share one QApplication on the offscreen
// platform, with the client's artwork and style, as the client has them.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/interface_components.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    twl::installInterfaceComponents(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
