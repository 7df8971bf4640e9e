// Renders one of the storyboard's layouts in a window, offscreen, to a PNG:
//   layout_preview <identifier> <out.png>
// For looking at a layout while working on it, without signing in.
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "app/placeholder_screen.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_window.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: layout_preview <identifier> <out.png>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    auto layouts = twl::QtLayouts::withStoryboardLayouts();
    auto window = twl::QtWindow::createMain(*layouts, [] { return false; });
    auto screen = std::make_shared<twl::PlaceholderScreen>();
    screen->setStoryboardIdentifier(argv[1]);
    window->setContentViewController(screen);
    window->show();
    QApplication::processEvents();
    return window->widget()->grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
