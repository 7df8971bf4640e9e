#pragma once

#include <curl/curl.h>

#include <string>

namespace twl {

// libcurl's functions, from the library as loaded for the first request
// instead of by the dynamic linker at launch: libcurl brings some twenty
// libraries of its own (two TLS stacks, SSH, LDAP, IDN, HTTP/2) whose loading
// and start-up code held up the window by several milliseconds.
struct CurlLibrary {
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_easy_reset) easy_reset;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_strerror) easy_strerror;
    decltype(&::curl_slist_append) slist_append;
    decltype(&::curl_slist_free_all) slist_free_all;
    decltype(&::curl_url) url;
    decltype(&::curl_url_cleanup) url_cleanup;
    decltype(&::curl_url_set) url_set;
    decltype(&::curl_url_get) url_get;
    decltype(&::curl_url_strerror) url_strerror;
    decltype(&::curl_free) free;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_wakeup) multi_wakeup;
    decltype(&::curl_multi_info_read) multi_info_read;

    // Loads and starts libcurl, once per process, on the first caller's
    // thread. False, and `error` set, when it cannot be.
    static bool start(std::string& error);
};

// The started library: only once CurlLibrary::start() has succeeded.
const CurlLibrary& libcurl();

}  // namespace twl
