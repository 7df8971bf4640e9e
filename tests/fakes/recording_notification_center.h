#pragma once

#include <vector>

#include "platform/notification_center.h"

namespace twl::fakes {

// Records what the client asks of the notification centre. Permission requests
// wait for the test to answer them with answerAuthorizations().
class RecordingNotificationCenter final : public NotificationCenter {
  public:
    bool isAvailable() const override { return true; }
    void requestAuthorization(unsigned, AuthorizationHandler handler) override {
        authorizations.push_back(std::move(handler));
    }
    void add(NotificationRequest request) override { requests.push_back(std::move(request)); }

    // Answers every request still waiting, in the order they were made.
    void answerAuthorizations(bool granted) {
        auto waiting = std::move(authorizations);
        authorizations.clear();
        for (auto& handler : waiting) {
            handler(granted);
        }
    }

    std::vector<AuthorizationHandler> authorizations;
    std::vector<NotificationRequest> requests;
};

}  // namespace twl::fakes
