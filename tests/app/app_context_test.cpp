#include "app/app_context.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

// A timer left running would call into a context that is gone.
TEST(AppContext, DestroyingTheContextStopsItsTimers) {
    fakes::VirtualRunLoop loop;
    auto ctx = std::make_unique<AppContext>(Services{.runLoop = &loop}, Endpoints{});
    int ticks = 0;
    ctx->detectionTimer = loop.scheduleRepeating(0.5, [&] { ++ticks; });
    ctx->timerManager().startCountdown(5, [&](auto&, bool) { ++ticks; });
    ctx.reset();
    loop.advance(3);
    EXPECT_EQ(ticks, 0);
}

TEST(SettingsKeys, AnotherTypeReadsAsAbsent) {
    fakes::MemorySettingsStore store;
    store.setBool(true, keys::vpnUserName);
    store.setObject("true", keys::autoLogin);
    EXPECT_EQ(storedString(store, keys::vpnUserName), std::nullopt);
    EXPECT_FALSE(storedFlagIsSet(store, keys::autoLogin)) << "a string is not the flag";
}

}  // namespace
}  // namespace twl
