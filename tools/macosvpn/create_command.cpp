#include "create_command.h"

#include <unistd.h>

#include <map>
#include <ostream>
#include <set>

#include "nmcli.h"
#include "vpn/uuid_v4.h"

namespace twl::tools {
namespace {

// Terse listings escape ':' and '\' inside values.
std::string unescapeTerse(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            ++i;
        }
        text += field[i];
    }
    return text;
}

int fail(std::ostream& err, const std::string& message) {
    err << "macosvpn: " << message << std::endl;
    return exitFailure;
}

}  // namespace

std::variant<CreateRequest, UsageError> parseCreateArguments(const std::vector<std::string>& args) {
    if (args.empty() || args[0] != "create") {
        return UsageError{args.empty() ? "no command given" : "unknown command '" + args[0] + "'"};
    }
    static const std::set<std::string> valueOptions{"--l2tp", "--endpoint", "--username",
                                                    "--password", "--shared-secret"};
    CreateRequest request;
    std::map<std::string, std::string> given;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--force") {
            request.force = true;
        } else if (!valueOptions.contains(option)) {
            return UsageError{"unknown option '" + option + "'"};
        } else if (i + 1 == args.size()) {
            return UsageError{"option " + option + " needs a value"};
        } else {
            given[option] = args[++i];
        }
    }
    if (!given.contains("--l2tp")) {
        return UsageError{"--l2tp NAME is required"};
    }
    if (!given.contains("--endpoint")) {
        return UsageError{"--endpoint HOST is required"};
    }
    request.profile.name = given["--l2tp"];
    request.profile.gateway = given["--endpoint"];
    request.profile.user = given["--username"];
    request.profile.password = given["--password"];
    if (given.contains("--shared-secret")) {
        request.profile.sharedSecret = given["--shared-secret"];
    }
    return request;
}

std::vector<std::string> connectionsNamed(const std::string& terseListing,
                                          const std::string& name) {
    std::vector<std::string> uuids;
    std::size_t start = 0;
    while (start < terseListing.size()) {
        auto end = terseListing.find('\n', start);
        if (end == std::string::npos) {
            end = terseListing.size();
        }
        const std::string row = terseListing.substr(start, end - start);
        start = end + 1;
        // A uuid holds no ':', so the first one ends it.
        const auto colon = row.find(':');
        if (colon != std::string::npos && unescapeTerse(row.substr(colon + 1)) == name) {
            uuids.push_back(row.substr(0, colon));
        }
    }
    return uuids;
}

int createConnection(CreateRequest request, const KeyfileFolder& folder, std::ostream& out,
                     std::ostream& err) {
    L2tpProfile& profile = request.profile;
    if (auto problem = profileProblem(profile)) {
        return fail(err, *problem);
    }

    const CommandResult listing = runNmcli({"-t", "-f", "UUID,NAME", "connection", "show"});
    if (const std::string failure = nmcliFailure(listing); !failure.empty()) {
        return fail(err, failure);
    }
    const std::vector<std::string> existing = connectionsNamed(listing.out, profile.name);
    if (!existing.empty() && !request.force) {
        return fail(err, "a connection named '" + profile.name +
                             "' already exists; give --force to replace it");
    }
    for (const std::string& uuid : existing) {
        const CommandResult removed = runNmcli({"connection", "delete", "uuid", uuid});
        if (const std::string failure = nmcliFailure(removed); !failure.empty()) {
            return fail(err, "cannot remove the old connection " + uuid + ": " + failure);
        }
    }

    // The secrets travel in the file, never on nmcli's command line.
    profile.uuid = newUuidV4();
    const KeyfileFolder::Written written = folder.writeNew(profile.name, keyfileText(profile));
    if (written.path.empty()) {
        return fail(err, written.error);
    }
    const CommandResult loaded = runNmcli({"connection", "load", written.path.string()});
    if (const std::string failure = nmcliFailure(loaded); !failure.empty()) {
        ::unlink(written.path.c_str());
        return fail(err, "NetworkManager did not take the connection: " + failure);
    }
    out << "Created L2TP connection '" << profile.name << "'" << std::endl;
    return 0;
}

}  // namespace twl::tools
