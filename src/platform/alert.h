#pragma once

#include <string>
#include <vector>

namespace twl {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// What a modal alert says. Filled in the order the screens do it:
//
//     Alert alert;
//     alert.messageText = "Notice";
//     alert.informativeText = "Please input server ip";
//     alert.alertStyle = AlertStyle::warning;
//     alert.addButtonWithTitle("OK");
//     context.alerts().runModal(alert);
struct Alert {
    // runModal's answer for the first button; each further button adds one.
    static constexpr int firstButtonReturn = 1000;

    std::string messageText;
    std::string informativeText;
    AlertStyle alertStyle = AlertStyle::warning;
    std::vector<std::string> buttonTitles;

    void addButtonWithTitle(std::string title) { buttonTitles.push_back(std::move(title)); }

    friend bool operator==(const Alert&, const Alert&) = default;
};

}  // namespace twl
