// Widget tests need one QApplication that outlives every test and goes before
// the process's static objects do.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewaterlink"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
