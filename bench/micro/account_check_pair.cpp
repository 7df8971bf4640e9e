#include "account_check_pair.h"

#include <curl/curl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <memory>
#include <set>

#include "account/account_check.h"
#include "pair_registration.h"

namespace twl::bench {
namespace {

constexpr const char* userName = "demo";
constexpr const char* password = "demo-pass";

size_t appendBody(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

// The bare GET: nothing set beyond the URL, the CA and where the body goes.
EasyHandle bareGet(const std::string& url, const std::string& caFile, std::string& body) {
    EasyHandle easy(curl_easy_init(), &curl_easy_cleanup);
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    return easy;
}

}  // namespace

AccountCheckPair::AccountCheckPair()
    : transport_(runLoop_, provider_.caFile()),
      client_(clientWith(transport_)),
      url_(accountCheckUrl(provider_.baseUrl(), userName, password)) {}

std::unique_ptr<fakes::FakeServices> AccountCheckPair::clientWith(HttpTransport& transport) {
    return std::make_unique<fakes::FakeServices>(
        runLoop_, transport,
        fakes::FakeServices::Options{
            .endpoints = {provider_.baseUrl(), "", "", provider_.caFile()}});
}

void AccountCheckPair::registerBenchmarks() {
    registerPair(
        "account_check", [this](benchmark::State& state) { clientReusing(state); },
        [this](benchmark::State& state) { floorReusing(state); });
    registerPair(
        "account_check_new_conn", [this](benchmark::State& state) { clientConnectingAnew(state); },
        [this](benchmark::State& state) { floorConnectingAnew(state); });
}

void AccountCheckPair::countConnections(benchmark::State& state, std::size_t firstRequest) const {
    const auto requests = provider_.recordedRequests();
    std::set<int> ports;
    for (std::size_t i = firstRequest; i < requests.size(); ++i) {
        ports.insert(requests[i].value("remotePort", -1));
    }
    const auto made =
        static_cast<double>(requests.size() - std::min(firstRequest, requests.size()));
    state.counters["requests_per_conn"] =
        ports.empty() ? 0.0 : made / static_cast<double>(ports.size());
}

std::string AccountCheckPair::checkOnce(const AppContext& context) {
    bool answered = false;
    std::string outcome;
    checkAccount(context, userName, password,
                 [&](std::optional<nlohmann::json> value, std::optional<std::string> error) {
                     answered = true;
                     outcome = value ? value->dump() : "error: " + error.value_or("");
                 });
    while (!answered) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return outcome;
}

void AccountCheckPair::clientReusing(benchmark::State& state) {
    const std::string first = checkOnce(*client_->context);
    if (first.starts_with("error: ")) {
        state.SkipWithError(first.c_str());
        return;
    }
    const std::size_t before = provider_.recordedRequests().size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(checkOnce(*client_->context));
    }
    countConnections(state, before);
}

void AccountCheckPair::floorReusing(benchmark::State& state) {
    std::string body;
    const EasyHandle easy = bareGet(url_, provider_.caFile(), body);
    if (curl_easy_perform(easy.get()) != CURLE_OK) {
        state.SkipWithError("the bare GET failed");
        return;
    }
    const std::size_t before = provider_.recordedRequests().size();
    for (auto _ : state) {
        body.clear();
        benchmark::DoNotOptimize(curl_easy_perform(easy.get()));
    }
    countConnections(state, before);
}

void AccountCheckPair::clientConnectingAnew(benchmark::State& state) {
    const std::size_t before = provider_.recordedRequests().size();
    for (auto _ : state) {
        CurlHttpTransport fresh(runLoop_, provider_.caFile());
        const auto client = clientWith(fresh);
        benchmark::DoNotOptimize(checkOnce(*client->context));
    }
    countConnections(state, before);
}

void AccountCheckPair::floorConnectingAnew(benchmark::State& state) {
    const std::size_t before = provider_.recordedRequests().size();
    for (auto _ : state) {
        std::string body;
        const EasyHandle easy = bareGet(url_, provider_.caFile(), body);
        benchmark::DoNotOptimize(curl_easy_perform(easy.get()));
    }
    countConnections(state, before);
}

}  // namespace twl::bench
