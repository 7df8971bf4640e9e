#pragma once

#include <string>
#include <utility>
#include <vector>

namespace twl {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// What a modal alert says.
struct Alert {
    // What every screen's alert is: a warning with one "OK" button.
    static Alert warning(std::string messageText, std::string informativeText) {
        Alert alert{std::move(messageText), std::move(informativeText), AlertStyle::warning, {}};
        alert.addButtonWithTitle("OK");
        return alert;
    }

    std::string messageText;
    std::string informativeText;
    AlertStyle alertStyle = AlertStyle::warning;
    std::vector<std::string> buttonTitles;

    void addButtonWithTitle(std::string title) { buttonTitles.push_back(std::move(title)); }

    friend bool operator==(const Alert&, const Alert&) = default;
};

}  // namespace twl
