#include "vpn/vpn_service.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/simulated_system.h"
#include "fakes/virtual_run_loop.h"
#include "privileged/commands.h"
#include "privileged/statement_parser.h"

namespace twl {
namespace {

// The command builder keeps hostile values to one word each (shown on a real
// shell in tests/privileged/hostile_values_test.cpp); each value must reach
// its own place in it, the stored pair the statement's, and the account
// password and the key beside the statement, as secrets.
TEST(CreateVpnService, EachValueGoesToItsPlaceThroughTheBuilders) {
    fakes::MemorySettingsStore store;
    fakes::FakeFileManager files;
    fakes::VirtualRunLoop loop;
    fakes::SimulatedSystem system(files, loop);
    AppContext ctx{Services{.settings = &store, .interpreter = &system}, Endpoints{}};
    ctx.serverUrl = "vpn.example.net; touch pwned";
    ctx.accountUserName = "$(touch pwned)";
    ctx.accountPassword = "`touch pwned`' \"\\ \n--force";
    store.setObject("ad\"min", keys::username);
    store.setObject("pw\\\" & touch pwned", keys::userpassword);

    createVpnService(ctx, "/my tools/mac'os\"vpn $x", [] {});
    ASSERT_EQ(system.sources.size(), 1u);
    const auto parsed = parseStatement(system.sources[0]);
    ASSERT_TRUE(parsed.statement.has_value()) << parsed.error;
    EXPECT_EQ(
        parsed.statement->command,
        commands::createService("/my tools/mac'os\"vpn $x", ctx.serverUrl, ctx.accountUserName));
    const auto& secrets = system.options[0].secrets;
    ASSERT_EQ(secrets.size(), 2u);
    EXPECT_EQ(secrets[0].value, ctx.accountPassword);
    EXPECT_EQ(secrets[1].value, commands::presharedKey);
    ASSERT_TRUE(parsed.statement->administrator.has_value());
    EXPECT_EQ(parsed.statement->administrator->userName, "ad\"min");
    EXPECT_EQ(parsed.statement->administrator->password, "pw\\\" & touch pwned");
}

}  // namespace
}  // namespace twl
