// Gives Linux the command line the client uses to (re)create its VPN service:
//   macosvpn create --l2tp NAME --endpoint HOST [--force] --username U
//            --password-file FILE --shared-secret-file FILE
// over NetworkManager and its L2TP plugin. Runs as root, and takes no
// direction from the environment but one: SUDO_UID (set by sudo, never by its
// caller), which only narrows it: the secret files must be that user's.
#include <sys/prctl.h>

#include <iostream>
#include <variant>

#include "create_command.h"

namespace {

void printUsage(std::ostream& out) {
    out << "usage: macosvpn create --l2tp NAME --endpoint HOST [--force]\n"
           "                       [--username USER]\n"
           "                       [--password-file FILE | --password PASSWORD]\n"
           "                       (--shared-secret-file FILE | --shared-secret KEY)\n";
}

void printHelp(std::ostream& out) {
    printUsage(out);
    out << "\n"
           "Each FILE holds the secret alone (one final line break is dropped), must be a\n"
           "regular file of mode 0600 and at most 4096 bytes with no symbolic link on its\n"
           "path, and its owner becomes the only user who may see and start the\n"
           "connection (without files: the user running this command). Run through sudo\n"
           "by another user, the files must be that user's. --password and\n"
           "--shared-secret remain for older callers: a secret on a command line is\n"
           "visible to every local user.\n";
}

}  // namespace

int main(int argc, char** argv) {
#ifndef TIDEWATERLINK_SANITIZED
    // No core dump and no debugger of the caller's while the secrets are held.
    // (Sanitizer builds stay dumpable: the leak check needs it.)
    ::prctl(PR_SET_DUMPABLE, 0);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        printHelp(std::cout);
        return 0;
    }
    auto parsed = twl::tools::parseCreateArguments(args);
    if (const auto* usage = std::get_if<twl::tools::UsageError>(&parsed)) {
        std::cerr << "macosvpn: " << usage->message << "\n";
        printUsage(std::cerr);
        return twl::tools::exitUsage;
    }
    return twl::tools::createConnection(std::get<twl::tools::CreateRequest>(std::move(parsed)),
                                        twl::tools::KeyfileFolder::systemConnections(), std::cout,
                                        std::cerr);
}
