// A small local HTTPS provider for the demo and the tests: the account web API
// and the public-IP service on 127.0.0.1, with a throwaway CA of its own.
#include <exception>
#include <iostream>

#include "account_book.h"
#include "certificate_authority.h"
#include "provider_options.h"
#include "provider_server.h"

int main(int argc, char** argv) {
    using namespace twl::devprovider;
    ProviderOptions defaults;
    defaults.folder = TWL_DEVPROVIDER_DEFAULT_FOLDER;
    defaults.accounts = TWL_DEVPROVIDER_DEMO_ACCOUNTS;
    std::string error;
    const auto options = parseOptions(argc, argv, defaults, error);
    if (!options) {
        std::cerr << "devprovider: " << error << '\n' << usage;
        return 2;
    }
    try {
        const CertificateFiles files = ensureCertificates(options->folder);
        ProviderServer server(*options, AccountBook::load(options->accounts), files);
        const int port = server.bind();
        if (port < 0) {
            std::cerr << "devprovider: cannot listen on 127.0.0.1 port " << options->port << '\n';
            return 1;
        }
        std::cerr << "devprovider: trust " << files.caCertificate.string() << '\n';
        std::cout << "devprovider listening on https://127.0.0.1:" << port << std::endl;
        return server.listen() ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
