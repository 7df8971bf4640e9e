#include "vpn/vpn_service.h"

#include <utility>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/script_interpreter.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"

namespace twl {

void createVpnService(AppContext& ctx, const std::string& executableVPNPath,
                      std::function<void()> done) {
    const std::string adminUser = storedString(ctx.userDefaults(), keys::username).value_or("");
    // From memory: the dialog's newest pair, even before the keyring has it.
    const std::string adminPassword = ctx.secrets().known(keys::userpassword).value_or("");

    const std::string command =
        commands::createService(executableVPNPath, ctx.serverUrl, ctx.accountUserName);

    runScript(ctx.interpreter(), privilegedScript(command, adminUser, adminPassword),
              ScriptOptions{.secrets = commands::createServiceSecrets(ctx.accountPassword)},
              std::move(done));
}

}  // namespace twl
