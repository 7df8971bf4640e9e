#pragma once

#include <string>

namespace twl {

// The application-wide actions a menu entry can send without a target.
enum class MenuAction {
    terminate,  // quit the client, through its one quit path
};

// One entry of a menu. The key equivalent is a lower-case letter that the
// platform combines with its command modifier.
struct MenuItem {
    std::string title;
    MenuAction action = MenuAction::terminate;
    std::string keyEquivalent;

    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

}  // namespace twl
