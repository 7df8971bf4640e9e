#include "signin/tool_step.h"

#include <string>
#include <utility>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/console.h"
#include "platform/file_manager.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"

namespace twl {
namespace {

constexpr const char* confirmedLine = "-- is correct -- ";

bool markerExists(const AppContext& context) {
    return context.fileManager().fileExistsAtPath(std::string(commands::markerFile));
}

void proveAdministrator(AppContext& context, const std::string& adminUserName,
                        const std::string& adminPassword, std::function<void()> done) {
    const bool markerWasThere = markerExists(context);
    if (!markerWasThere && context.toolResourcePath.empty()) {
        done();  // no resource to copy: nothing could be proved
        return;
    }
    const std::string command =
        markerWasThere ? commands::removeMarker() : commands::copyTool(context.toolResourcePath);
    runScript(context.interpreter(), privilegedScript(command, adminUserName, adminPassword),
              [&context, markerWasThere, done = std::move(done)] {
                  // Only the marker's presence afterwards says whether the system obeyed.
                  if (markerExists(context) != markerWasThere) {
                      context.isAdminConfirmed = true;
                      context.console().writeLine(confirmedLine);
                  }
                  done();
              });
}

}  // namespace

void runToolStep(AppContext& context, std::function<void()> done) {
    const auto adminUserName = storedString(context.userDefaults(), keys::username);
    if (!adminUserName) {
        done();
        return;
    }
    context.secrets().whenRead(keys::userpassword,
                               [&context, userName = *adminUserName, done = std::move(done)](
                                   const std::optional<std::string>& adminPassword) {
                                   if (!adminPassword) {
                                       done();
                                       return;
                                   }
                                   proveAdministrator(context, userName, *adminPassword, done);
                               });
}

}  // namespace twl
