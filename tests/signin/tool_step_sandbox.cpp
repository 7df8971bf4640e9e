// Runs the tool step for real, as a throwaway administrator inside a private
// mount namespace with a tmpfs over /usr/local, through the real interpreter
// and the real sudo, and prints what it saw as JSON lines ({"skip": why} when
// it cannot run here). The assertions live in tool_step_system_test.cpp.
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_console.h"
#include "platform/posix/posix_file_manager.h"
#include "platform/posix/posix_script_interpreter.h"
#include "private_system.h"
#include "signin/tool_step.h"
#include "test_support.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path marker = "/usr/local/macosvpn.txt";
const std::string toolBytes = "#!/bin/sh\n# the tool, byte for byte\n";

void emit(const json& line) {
    std::cout << line.dump() << std::endl;
}

// One run of the step on a fresh context, as each launch of the client has.
json runStep(const std::string& userName, const std::string& password,
             const std::string& toolResourcePath) {
    fakes::MemorySettingsStore settings;
    fakes::RecordingConsole console;
    PosixFileManager files;
    PosixScriptInterpreter shell("");
    settings.setObject(userName, keys::username);
    settings.setObject(password, keys::userpassword);
    AppContext context(Services{.settings = &settings,
                                .console = &console,
                                .fileManager = &files,
                                .interpreter = &shell},
                       Endpoints{"https://api.test", "https://ip.test", "vpn.test", ""});
    context.toolResourcePath = toolResourcePath;

    const bool before = fs::exists(marker);
    runToolStep(context);
    return {{"before", before},
            {"after", fs::exists(marker)},
            {"confirmed", context.isAdminConfirmed},
            {"lines", console.lines},
            {"copied bytes", fs::exists(marker) ? readFile(marker) : ""}};
}

int scenario(const PrivateSystem& system, const fs::path& tool) {
    const auto& admin = system.asker();
    return PrivateSystem::runAs(admin,
                                [&] {
                                    auto step = [&](const std::string& name,
                                                    const std::string& password) {
                                        json seen = runStep(admin.name, password, tool.string());
                                        seen["case"] = name;
                                        emit(seen);
                                    };
                                    step("wrong password, no marker", admin.password + "x");
                                    step("first launch", admin.password);
                                    step("wrong password, marker there", admin.password + "x");
                                    step("second launch", admin.password);
                                    return 0;
                                })
               ? 0
               : 1;
}

}  // namespace
}  // namespace twl::test_support

int main() {
    using namespace twl::test_support;
    if (::geteuid() != 0) {
        emit({{"skip", "needs root to make a throwaway administrator"}});
        return 0;
    }
    PrivateSystem system;
    if (const auto why = system.setUp(); !why.empty()) {
        emit({{"skip", why}});
        return 0;
    }
    // Mounted inside the private namespace only: the host's /usr/local is untouched.
    if (!fs::is_directory("/usr/local") ||
        ::mount("twl-usr-local", "/usr/local", "tmpfs", 0, "mode=0755") != 0) {
        emit({{"skip", "cannot put a tmpfs over /usr/local"}});
        return 0;
    }
    // A resource folder with a blank in its name, readable by the administrator.
    const fs::path folder = system.drop() / "Tide Water";
    fs::create_directory(folder);
    const fs::path tool = folder / "macosvpn.txt";
    std::ofstream(tool, std::ios::binary) << toolBytes;
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(tool, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    emit({{"tool bytes", toolBytes}});
    return scenario(system, tool);
}
