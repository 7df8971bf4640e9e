#include "vpn/our_active_connection.h"

#include <utility>

namespace twl {

void OurActiveConnection::setProfile(std::string profile) {
    if (profile != profile_) {
        seen_.clear();
    }
    profile_ = std::move(profile);
    forget();
}

void OurActiveConnection::connectCommandSent() {
    current_.clear();
    awaiting_ = true;
}

void OurActiveConnection::forget() {
    current_.clear();
    awaiting_ = false;
}

bool OurActiveConnection::isOurs(const ActiveConnectionReport& report) {
    if (profile_.empty() || report.profile != profile_) {
        return false;
    }
    const bool isNew = seen_.insert(report.path).second;
    if (!current_.empty()) {
        return report.path == current_;
    }
    if (awaiting_ && isNew) {
        current_ = report.path;
        awaiting_ = false;
        return true;
    }
    return false;
}

}  // namespace twl
