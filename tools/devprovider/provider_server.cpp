#include "provider_server.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace twl::devprovider {
namespace {

constexpr std::size_t hugeBodyChunk = std::size_t{64} * 1024;

void stallForever() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

// A JSON string of exactly `bytes` bytes, sent in chunks with no declared length.
void setHugeBody(httplib::Response& response, std::size_t bytes) {
    response.set_chunked_content_provider(
        "application/json", [bytes](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= bytes) {
                sink.done();
                return true;
            }
            std::string chunk(std::min(hugeBodyChunk, bytes - offset), 'a');
            if (offset == 0) {
                chunk.front() = '"';
            }
            if (offset + chunk.size() == bytes) {
                chunk.back() = '"';
            }
            return sink.write(chunk.data(), chunk.size());
        });
}

}  // namespace

ProviderServer::ProviderServer(ProviderOptions options, AccountBook accounts,
                               const CertificateFiles& files)
    : options_(std::move(options)),
      accounts_(std::move(accounts)),
      server_(files.certificate.c_str(), files.key.c_str()) {
    if (!server_.is_valid()) {
        throw std::runtime_error("devprovider: cannot load " + files.certificate.string());
    }
    if (options_.record) {
        recordFile_.open(*options_.record, std::ios::app);
        if (!recordFile_) {
            throw std::runtime_error("devprovider: cannot write " + options_.record->string());
        }
    }
    // Headers and body leave in separate writes; without this each reply waits
    // out the client's delayed acknowledgement (some 40 ms on loopback).
    server_.set_tcp_nodelay(true);
    // Keeps a connection for as many requests as a common web server does
    // (1000), rather than the library's five, so clients that reuse one are seen to.
    server_.set_keep_alive_max_count(1000);
    setUpRoutes();
}

int ProviderServer::bind() {
    if (options_.port == 0) {
        return server_.bind_to_any_port("127.0.0.1");
    }
    return server_.bind_to_port("127.0.0.1", options_.port) ? options_.port : -1;
}

bool ProviderServer::listen() {
    return server_.listen_after_bind();
}

void ProviderServer::setUpRoutes() {
    server_.set_pre_routing_handler(
        [this](const auto& request, auto& response) { return beforeRouting(request, response); });
    server_.Get("/publicapi", [this](const auto& request, auto& response) {
        answerAccountApi(request, response);
    });
    server_.Get("/tools/getpublicip.php",
                [this](const auto&, auto& response) { answerPublicIp(response); });
    // Logged just before the reply is written, not after: whoever holds a reply
    // finds its line already there.
    server_.set_post_routing_handler(
        [](const auto& request, auto& response) { log(request, response); });
}

httplib::Server::HandlerResponse ProviderServer::beforeRouting(const httplib::Request& request,
                                                               httplib::Response& response) {
    record(request);
    if (options_.stall) {
        stallForever();
    }
    // On this request's own worker: other requests are not held up behind it.
    std::this_thread::sleep_for(options_.delay);
    if (options_.hugeBody) {
        setHugeBody(response, *options_.hugeBody);
    } else if (options_.fixedBody) {
        response.set_content(*options_.fixedBody, "application/json");
    } else {
        return httplib::Server::HandlerResponse::Unhandled;
    }
    response.status = options_.fixedStatus.value_or(200);
    return httplib::Server::HandlerResponse::Handled;
}

void ProviderServer::answerAccountApi(const httplib::Request& request,
                                      httplib::Response& response) const {
    nlohmann::json reply;
    if (request.get_param_value("method") == "get_user") {
        reply = accounts_.answer(request.get_param_value("username"),
                                 request.get_param_value("password"));
    } else {
        reply = {{"response", "error"}, {"message", "Unknown method"}};
    }
    response.set_content(reply.dump(), "application/json");
    response.status = options_.fixedStatus.value_or(200);
}

void ProviderServer::answerPublicIp(httplib::Response& response) const {
    response.set_content(options_.publicIp, "text/plain; charset=utf-8");
    response.status = options_.fixedStatus.value_or(200);
}

void ProviderServer::record(const httplib::Request& request) {
    if (!options_.record) {
        return;
    }
    nlohmann::json contentTypes = nlohmann::json::array();
    const auto [first, last] = request.headers.equal_range("Content-Type");
    for (auto it = first; it != last; ++it) {
        contentTypes.push_back(it->second);
    }
    const nlohmann::json line = {{"method", request.method},
                                 {"target", request.target},
                                 {"contentType", contentTypes},
                                 {"acceptEncoding", request.get_header_value("Accept-Encoding")},
                                 {"remotePort", request.remote_port}};
    std::lock_guard lock(recordMutex_);
    recordFile_ << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    recordFile_.flush();
}

void ProviderServer::log(const httplib::Request& request, const httplib::Response& response) {
    std::ostringstream line;
    line << "devprovider: " << request.method << ' ' << request.path;
    for (const auto& [name, value] : request.params) {
        if (name != "password") {
            line << ' ' << name << '=' << value;
        }
    }
    line << " -> " << response.status << '\n';
    std::cerr << line.str() << std::flush;
}

}  // namespace twl::devprovider
