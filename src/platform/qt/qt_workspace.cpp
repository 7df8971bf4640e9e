#include "platform/qt/qt_workspace.h"

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <vector>

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

std::string QtWorkspace::loginName() const {
    // The same account that the script interpreter elevates: the real user's.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr) {
        return {};
    }
    return found->pw_name;
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
