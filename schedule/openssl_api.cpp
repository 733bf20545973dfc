#include "schedule/openssl_api.h"

#include <dlfcn.h>

namespace kalvento {
namespace {

#define KALVENTO_STRINGIFY2(x) #x
#define KALVENTO_STRINGIFY(x) KALVENTO_STRINGIFY2(x)
// The shared library that matches the headers we compile against.
constexpr char kLibSslName[] = "libssl.so." KALVENTO_STRINGIFY(OPENSSL_SHLIB_VERSION);

template <typename Function>
bool resolve(void* handle, const char* name, Function& function, std::string& error) {
    ::dlerror();
    void* symbol = ::dlsym(handle, name);
    if (symbol == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : std::string(name) + " not found";
        return false;
    }
    function = reinterpret_cast<Function>(symbol);
    return true;
}

struct LoadedApi {
    std::unique_ptr<OpenSslApi> api;
    std::string error;
};

}  // namespace

std::unique_ptr<OpenSslApi> load_openssl_api(const char* library, std::string& error) {
    // Local binding: our names never resolve to OpenSSL's or the other way
    // round, whatever else the process has loaded.
    void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : std::string(library) + " cannot be loaded";
        return nullptr;
    }
    auto api = std::make_unique<OpenSslApi>();
    // libssl's own dependencies (libcrypto) are searched through its handle.
#define KALVENTO_OPENSSL_RESOLVE(name)               \
    if (!resolve(handle, #name, api->name, error)) { \
        ::dlclose(handle);                           \
        return nullptr;                              \
    }
    KALVENTO_OPENSSL_FUNCTIONS(KALVENTO_OPENSSL_RESOLVE)
#undef KALVENTO_OPENSSL_RESOLVE
    return api;
}

const OpenSslApi* openssl_api(std::string& error) {
    static const LoadedApi loaded = [] {
        LoadedApi result;
        result.api = load_openssl_api(kLibSslName, result.error);
        return result;
    }();
    if (!loaded.api) error = loaded.error;
    return loaded.api.get();
}

}  // namespace kalvento
