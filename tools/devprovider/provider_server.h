#pragma once

#include <httplib.h>

#include <fstream>
#include <memory>
#include <mutex>

#include "account_book.h"
#include "certificate_authority.h"
#include "provider_options.h"

namespace twl::devprovider {

// The account web API ("/publicapi?method=get_user&username=&password=") and
// the public-IP service ("/tools/getpublicip.php") over HTTPS on 127.0.0.1.
// One line per request goes to standard error, never with a password.
class ProviderServer {
  public:
    ProviderServer(ProviderOptions options, AccountBook accounts, const CertificateFiles& files);
    ProviderServer(const ProviderServer&) = delete;
    ProviderServer& operator=(const ProviderServer&) = delete;

    // The port now listened on, or -1 when it cannot be had.
    int bind();
    // Serves until the process ends.
    bool listen();

  private:
    void setUpRoutes();
    httplib::Server::HandlerResponse beforeRouting(const httplib::Request& request,
                                                   httplib::Response& response);
    void answerAccountApi(const httplib::Request& request, httplib::Response& response) const;
    void answerPublicIp(httplib::Response& response) const;
    void record(const httplib::Request& request);
    static void log(const httplib::Request& request, const httplib::Response& response);

    ProviderOptions options_;
    AccountBook accounts_;
    httplib::SSLServer server_;
    std::mutex recordMutex_;
    std::ofstream recordFile_;
};

}  // namespace twl::devprovider
