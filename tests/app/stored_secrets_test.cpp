#include "app/stored_secrets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "fakes/fake_services.h"
#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"
#include "vpn/vpn_service.h"

namespace twl {
namespace {

struct Client {
    fakes::VirtualRunLoop loop;
    fakes::ScriptedHttpTransport http{loop};
    fakes::FakeServices services{loop, http, {}};
    StoredSecrets& secrets = services.context->secrets();
};

TEST(StoredSecrets, APasswordLeftInTheFileWinsMovesInAndLeavesTheFileOnlyOnceStored) {
    struct Row {
        const char* name;
        bool keyringThere;
        bool writeFails;
        bool leftInFile;
    };
    const Row rows[] = {{"moved in", true, false, false},
                        {"the keyring refuses it", true, true, true},
                        {"no keyring: the file as before", false, false, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Client client;
        client.services.settings.setObject("admin", keys::username);
        client.services.settings.setObject("from-file", keys::userpassword);
        client.services.keyring.there = row.keyringThere;
        client.services.keyring.failWrites = row.writeFails;
        client.services.keyring.items[keys::userpassword] = "in-keyring";
        EXPECT_EQ(client.secrets.known(keys::userpassword), "from-file") << "without waiting";
        client.loop.runPending();
        EXPECT_EQ(storedString(client.services.settings, keys::userpassword).has_value(),
                  row.leftInFile);
        EXPECT_EQ(client.services.keyring.items[keys::userpassword],
                  row.leftInFile ? "in-keyring" : "from-file");
    }
}

// The administrator dialog stores a pair while the keyring is still asked for
// the old one: provisioning and a late answer both go by the new one.
TEST(StoredSecrets, ANewPasswordIsReadFromMemoryAtOnceAndALateKeyringAnswerTakesNothing) {
    Client client;
    client.services.settings.setObject("admin", keys::username);
    client.services.keyring.there = true;
    client.services.keyring.holdReads = true;
    client.services.keyring.items[keys::userpassword] = "old";
    std::optional<std::string> waited;
    client.secrets.whenRead(keys::userpassword, [&](const auto& secret) { waited = secret; });
    client.loop.runPending();
    client.secrets.set(keys::userpassword, "new");
    EXPECT_EQ(waited, "new");
    createVpnService(*client.services.context, "/tool", [] {});
    ASSERT_EQ(client.services.system.sources.size(), 1U);
    EXPECT_THAT(client.services.system.sources[0], ::testing::HasSubstr(R"(password "new")"));
    client.services.keyring.heldReads.at(0)();
    client.loop.runPending();
    EXPECT_EQ(client.secrets.known(keys::userpassword), "new");
    EXPECT_EQ(client.services.keyring.items[keys::userpassword], "new");
}

}  // namespace
}  // namespace twl
