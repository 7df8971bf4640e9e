// The tool step against the real system: a throwaway administrator, the real
// sudo and /bin/sh, and a tmpfs of its own over /usr/local.
#include <sys/mount.h>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/recording_console.h"
#include "platform/posix/posix_file_manager.h"
#include "platform/posix/posix_script_interpreter.h"
#include "sandboxed_test.h"
#include "signin/tool_step.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path marker = "/usr/local/macosvpn.txt";
const std::string toolBytes = "#!/bin/sh\n# the tool, byte for byte\n";

class ToolStepOnTheSystem : public test_support::SandboxedTest {
  protected:
    void SetUp() override {
        SandboxedTest::SetUp();
        // Inside the private namespace only: the host's /usr/local is untouched.
        if (!IsSkipped() &&
            (!fs::is_directory("/usr/local") ||
             ::mount("twl-usr-local", "/usr/local", "tmpfs", 0, "mode=0755") != 0)) {
            GTEST_SKIP() << "cannot put a tmpfs over /usr/local";
        }
    }

    // One launch's step, on a fresh context, as the administrator.
    json launch(const std::string& password, const fs::path& tool) {
        const auto& admin = system.asker();
        return as(admin, [&] {
            fakes::MemorySettingsStore settings;
            fakes::RecordingConsole console;
            PosixFileManager files;
            PosixScriptInterpreter shell("");
            settings.setObject(admin.name, keys::username);
            settings.setObject(password, keys::userpassword);
            AppContext context(Services{.settings = &settings,
                                        .console = &console,
                                        .fileManager = &files,
                                        .interpreter = &shell},
                               Endpoints{});
            context.toolResourcePath = tool;
            const bool before = fs::exists(marker);
            runToolStep(context);
            return json{{"before", before},
                        {"after", fs::exists(marker)},
                        {"confirmed", context.isAdminConfirmed},
                        {"lines", console.lines},
                        {"copied", test_support::readFile(marker)}};
        });
    }
};

TEST_F(ToolStepOnTheSystem, TheMarkerAlternatesWithRightCredentialsAndStaysWithWrongOnes) {
    // A resource folder with a blank in its name, readable by the administrator.
    const fs::path tool = system.drop() / "Tide Water" / "macosvpn.txt";
    fs::create_directory(tool.parent_path());
    std::ofstream(tool, std::ios::binary) << toolBytes;
    fs::permissions(tool.parent_path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    fs::permissions(tool, fs::perms::others_read, fs::perm_options::add);

    const std::string right = system.asker().password;
    const std::tuple<const char*, std::string, bool, bool> rows[] = {
        {"wrong password, no marker", right + "x", false, false},
        {"first launch", right, false, true},
        {"wrong password, marker there", right + "x", true, true},
        {"second launch", right, true, false},
    };
    for (const auto& [name, password, before, after] : rows) {
        SCOPED_TRACE(name);
        const json seen = launch(password, tool);
        const bool confirmed = password == right;
        EXPECT_EQ(seen.at("before"), before) << seen;
        EXPECT_EQ(seen.at("after"), after) << seen;
        EXPECT_EQ(seen.at("confirmed"), confirmed) << seen;
        EXPECT_EQ(seen.at("lines"), confirmed ? json{"-- is correct -- "} : json::array());
        EXPECT_EQ(seen.at("copied"), after ? toolBytes : "");
    }
}

}  // namespace
}  // namespace twl
