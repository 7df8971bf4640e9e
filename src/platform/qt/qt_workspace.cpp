#include "platform/qt/qt_workspace.h"

#include <QApplication>
#include <algorithm>

#include "platform/qt/qt_conversions.h"

namespace twl {

QtWorkspace::QtWorkspace(std::function<bool()> trayAvailable)
    : trayAvailable_(std::move(trayAvailable)) {}

bool QtWorkspace::hideApplication(std::string_view applicationName) {
    if (toQString(applicationName) != QCoreApplication::applicationName()) {
        return false;
    }
    const bool toTray = trayAvailable_ && trayAvailable_();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->isMinimized() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip) {
            continue;
        }
        if (toTray) {
            hidden_.emplace_back(window);
            window->hide();
        } else {
            minimised_.emplace_back(window);
            window->showMinimized();
        }
    }
    return true;
}

void QtWorkspace::unhideApplication() {
    auto hidden = std::move(hidden_);
    auto minimised = std::move(minimised_);
    hidden_.clear();
    minimised_.clear();
    // Windows before the modal windows over them, so those stay in front.
    auto parentsFirst = [](const QPointer<QWidget>& a, const QPointer<QWidget>& b) {
        return (a && a->parentWidget() == nullptr) && !(b && b->parentWidget() == nullptr);
    };
    std::stable_sort(hidden.begin(), hidden.end(), parentsFirst);
    std::stable_sort(minimised.begin(), minimised.end(), parentsFirst);
    for (const auto& window : hidden) {
        if (window) {
            window->show();
        }
    }
    for (const auto& window : minimised) {
        if (window) {
            window->showNormal();
        }
    }
}

}  // namespace twl
