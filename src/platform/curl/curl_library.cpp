#include "platform/curl/curl_library.h"

#include <dlfcn.h>

#include <optional>

namespace twl {
namespace {

// libcurl's soname since 7.16; the library is never unloaded.
constexpr const char* libraryName = "libcurl.so.4";

struct Loaded {
    std::optional<CurlLibrary> functions;
    std::string error;
};

template <typename Function>
void find(void* library, const char* name, Function& function, std::string& missing) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    if (function == nullptr && missing.empty()) {
        missing = name;
    }
}

Loaded load() {
    void* library = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return {std::nullopt, std::string("cannot set up HTTP: ") + ::dlerror()};
    }
    CurlLibrary f{};
    std::string missing;
    find(library, "curl_global_init", f.global_init, missing);
    find(library, "curl_easy_init", f.easy_init, missing);
    find(library, "curl_easy_cleanup", f.easy_cleanup, missing);
    find(library, "curl_easy_reset", f.easy_reset, missing);
    find(library, "curl_easy_setopt", f.easy_setopt, missing);
    find(library, "curl_easy_getinfo", f.easy_getinfo, missing);
    find(library, "curl_easy_strerror", f.easy_strerror, missing);
    find(library, "curl_slist_append", f.slist_append, missing);
    find(library, "curl_slist_free_all", f.slist_free_all, missing);
    find(library, "curl_url", f.url, missing);
    find(library, "curl_url_cleanup", f.url_cleanup, missing);
    find(library, "curl_url_set", f.url_set, missing);
    find(library, "curl_url_get", f.url_get, missing);
    find(library, "curl_url_strerror", f.url_strerror, missing);
    find(library, "curl_free", f.free, missing);
    find(library, "curl_multi_init", f.multi_init, missing);
    find(library, "curl_multi_cleanup", f.multi_cleanup, missing);
    find(library, "curl_multi_add_handle", f.multi_add_handle, missing);
    find(library, "curl_multi_remove_handle", f.multi_remove_handle, missing);
    find(library, "curl_multi_perform", f.multi_perform, missing);
    find(library, "curl_multi_poll", f.multi_poll, missing);
    find(library, "curl_multi_wakeup", f.multi_wakeup, missing);
    find(library, "curl_multi_info_read", f.multi_info_read, missing);
    if (!missing.empty()) {
        return {std::nullopt, "cannot set up HTTP: libcurl is too old (no " + missing + ")"};
    }
    if (f.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return {std::nullopt, "cannot set up HTTP: libcurl failed to start"};
    }
    return {f, {}};
}

const Loaded& loaded() {
    static const Loaded once = load();
    return once;
}

}  // namespace

bool CurlLibrary::start(std::string& error) {
    if (!loaded().functions) {
        error = loaded().error;
        return false;
    }
    return true;
}

const CurlLibrary& libcurl() {
    return *loaded().functions;
}

}  // namespace twl
