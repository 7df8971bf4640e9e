#include "vpn/connection_notifications.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "app/app_context.h"
#include "fakes/recording_console.h"
#include "fakes/recording_notification_center.h"
#include "fakes/virtual_run_loop.h"
#include "vpn/uuid_v4.h"

namespace twl {
namespace {

class ConnectionNotifications : public ::testing::Test {
  protected:
    ConnectionNotifications()
        : loop(1'800'000'000.25),
          ctx(Services{.runLoop = &loop, .console = &console, .notifications = &center},
              Endpoints{}) {}

    fakes::VirtualRunLoop loop;
    fakes::RecordingConsole console;
    fakes::RecordingNotificationCenter center;
    AppContext ctx;
};

TEST_F(ConnectionNotifications, EveryRefusalPrintsTheLineAndConsentPrintsNothing) {
    requestNotificationPermission(ctx);
    ASSERT_EQ(center.authorizations.size(), 1u);
    EXPECT_EQ(center.authorizations[0].options, 7u) << "alert, sound and badge";
    center.answerAuthorizations(true);
    EXPECT_TRUE(console.lines.empty());

    // The main screen loads twice after the user said no.
    requestNotificationPermission(ctx);
    requestNotificationPermission(ctx);
    center.answerAuthorizations(false);
    EXPECT_EQ(console.lines, (std::vector<std::string>{"User has declined notifications",
                                                       "User has declined notifications"}));
}

TEST_F(ConnectionNotifications, PostingSchedulesOneSecondAheadWithTheAlarmCategory) {
    postConnectionNotification(ctx, "Tidewater Link", "Connecting...");

    ASSERT_EQ(center.requests.size(), 1u);
    const NotificationRequest& request = center.requests[0];
    EXPECT_EQ(request.title, "Tidewater Link");
    EXPECT_EQ(request.body, "Connecting...");
    EXPECT_EQ(request.categoryIdentifier, "alarm");
    EXPECT_EQ(request.triggerEpochSeconds, 1'800'000'001) << "now + 1 s, to the whole second";
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(ConnectionNotifications, TwoInTheSameSecondGetDifferentIdentifiers) {
    postConnectionNotification(ctx, "Duskway", "Connected");
    loop.advance(0.5);
    postConnectionNotification(ctx, "Tidewater Link", "Disconnected");

    ASSERT_EQ(center.requests.size(), 2u) << "neither replaces the other";
    EXPECT_NE(center.requests[0].identifier, center.requests[1].identifier);
    EXPECT_EQ(center.requests[1].triggerEpochSeconds, 1'800'000'001);
}

TEST_F(ConnectionNotifications, WithoutNotificationsOnTheDesktopNothingHappens) {
    center.available = false;
    requestNotificationPermission(ctx);
    postConnectionNotification(ctx, "Duskway", "Connected");
    EXPECT_TRUE(center.authorizations.empty());
    EXPECT_TRUE(center.requests.empty());
    EXPECT_TRUE(console.lines.empty());
}

TEST(UuidV4, NewOnesAreWellFormedAndDistinct) {
    std::array<std::uint8_t, 16> ones{};
    ones.fill(0xFF);
    EXPECT_EQ(formatUuidV4(ones), "ffffffff-ffff-4fff-bfff-ffffffffffff");

    const std::regex shape("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string uuid = newUuidV4();
        ASSERT_TRUE(std::regex_match(uuid, shape)) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
}  // namespace twl
