#include "vpn/connection_notifications.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "fakes/recording_notification_center.h"
#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

class ConnectionNotifications : public ::testing::Test {
  protected:
    fakes::VirtualRunLoop loop{1'800'000'000.25};
    fakes::RecordingConsole console;
    fakes::RecordingNotificationCenter center;
    AppContext ctx{Services{.runLoop = &loop, .console = &console, .notifications = &center},
                   Endpoints{}};
};

TEST_F(ConnectionNotifications, EveryRefusalPrintsTheLineAndConsentPrintsNothing) {
    for (const bool granted : {true, false, false}) {
        requestNotificationPermission(ctx);
        center.answerAuthorizations(granted);
    }
    EXPECT_EQ(console.lines, (std::vector<std::string>{"User has declined notifications",
                                                       "User has declined notifications"}));
}

TEST_F(ConnectionNotifications, EachIsNewAndDueOneSecondAfterTheCall) {
    postConnectionNotification(ctx, "Duskway", "Connected");
    loop.advance(0.5);
    postConnectionNotification(ctx, "Tidewater Link", "Disconnected");

    ASSERT_EQ(center.requests.size(), 2u);
    const NotificationRequest& first = center.requests[0];
    EXPECT_EQ(first.categoryIdentifier, "alarm");
    EXPECT_EQ(first.triggerEpochSeconds, 1'800'000'001) << "now + 1 s, to the whole second";
    EXPECT_EQ(center.requests[1].triggerEpochSeconds, 1'800'000'001);
    EXPECT_NE(first.identifier, center.requests[1].identifier) << "neither replaces the other";
}

}  // namespace
}  // namespace twl
