#include "app/app_context.h"

#include <gtest/gtest.h>

#include "app/appearance.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

Endpoints testEndpoints() {
    return Endpoints{"https://api.test", "https://ip.test", "vpn.test", ""};
}

TEST(AppContext, ProcessWideValuesStartAsALaunchLeavesThem) {
    fakes::VirtualRunLoop loop;
    AppContext ctx(Services{.runLoop = &loop}, testEndpoints());

    EXPECT_EQ(ctx.accountUserName, "");
    EXPECT_EQ(ctx.accountPassword, "");
    EXPECT_EQ(ctx.serverUrl, "vpn.test") << "the built-in default server until the user picks one";
    EXPECT_EQ(ctx.toolResourcePath, "");
    EXPECT_FALSE(ctx.isAdminConfirmed || ctx.isUserRegistered || ctx.isConnected ||
                 ctx.isConnecting);
    // Never-scheduled timers: invalidating them is harmless.
    EXPECT_FALSE(ctx.detectionTimer->isValid());
    ctx.detectionTimer->invalidate();
    ctx.registerTimer->invalidate();
    ASSERT_NE(ctx.statusBarButton, nullptr);
    ctx.statusBarButton->setImage("menubar");
}

TEST(AppContext, ReachingAnUnwiredServiceIsAProgrammingError) {
    AppContext ctx(Services{}, testEndpoints());
    EXPECT_THROW(ctx.userDefaults(), std::logic_error);
    EXPECT_THROW(ctx.interpreter(), std::logic_error);
    EXPECT_THROW(ctx.timerManager().startCountdown(1, nullptr), std::logic_error);
}

TEST(AppContext, DestroyingTheContextStopsItsTimers) {
    fakes::VirtualRunLoop loop;
    auto ctx = std::make_unique<AppContext>(Services{.runLoop = &loop}, testEndpoints());
    int ticks = 0;
    ctx->detectionTimer = loop.scheduleRepeating(0.5, [&] { ++ticks; });
    ctx->timerManager().startCountdown(5, [&](auto&, bool) { ++ticks; });
    ctx.reset();
    loop.advance(3);
    EXPECT_EQ(ticks, 0);
}

TEST(SettingsKeys, ReadingRules) {
    fakes::MemorySettingsStore store;
    EXPECT_EQ(storedString(store, keys::vpnUserName), std::nullopt);
    EXPECT_FALSE(storedFlagIsSet(store, keys::autoLogin)) << "absent reads as off";

    store.setBool(true, keys::vpnUserName);
    store.setObject("true", keys::autoLogin);
    EXPECT_EQ(storedString(store, keys::vpnUserName), std::nullopt)
        << "another type reads as absent";
    EXPECT_FALSE(storedFlagIsSet(store, keys::autoLogin)) << "a string is not the flag";

    store.setObject("john%20doe", keys::vpnUserName);
    store.setBool(false, keys::autoLogin);
    EXPECT_EQ(storedString(store, keys::vpnUserName), "john%20doe");
    EXPECT_FALSE(storedFlagIsSet(store, keys::autoLogin));
    store.setBool(true, keys::autoLogin);
    EXPECT_TRUE(storedFlagIsSet(store, keys::autoLogin));
}

TEST(Appearance, ColoursAreTheExactQuotients) {
    EXPECT_DOUBLE_EQ(appearance::placeholderColor.red, 0.7411764705882353);
    EXPECT_DOUBLE_EQ(appearance::buttonHoverColor.green, 0.6509803921568628);
    EXPECT_DOUBLE_EQ(appearance::buttonNormalColor.blue, 0.6352941176470588);
    EXPECT_EQ(appearance::placeholderFont.family, "Helvetica Light");
    EXPECT_EQ(appearance::placeholderFont.pointSize, 14.0);
}

}  // namespace
}  // namespace twl
