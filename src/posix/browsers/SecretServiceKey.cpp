#include "posix/browsers/SecretServiceKey.h"

#include <libsecret/secret.h>

#include <algorithm>
#include <cstdlib>

#include "posix/browsers/RuntimeLibrary.h"

namespace tessel {
namespace {

// The keyring library (and GLib below it) is loaded only when a keyring key is needed.
struct SecretLibrary {
    decltype(secret_password_lookup_sync)* lookup = nullptr;
    decltype(secret_password_free)* free = nullptr;
    decltype(g_error_free)* freeError = nullptr;

    static const SecretLibrary* Load() {
        static const std::optional<SecretLibrary> loaded = []() -> std::optional<SecretLibrary> {
            static const RuntimeLibrary library("libsecret-1.so.0");
            SecretLibrary functions;
            if (library.Find("secret_password_lookup_sync", functions.lookup) &&
                library.Find("secret_password_free", functions.free) &&
                library.Find("g_error_free", functions.freeError))
                return functions;
            return std::nullopt;
        }();
        return loaded ? &*loaded : nullptr;
    }
};

using Kind = CookieStoreLocation::Kind;

constexpr struct {
    Kind kind;
    const char* names[3];
} kOwnNames[] = {
    {Kind::kChrome, {"chrome"}},   {Kind::kChromium, {"chromium"}},
    {Kind::kBrave, {"brave"}},     {Kind::kEdge, {"microsoft-edge", "msedge", "edge"}},
    {Kind::kVivaldi, {"vivaldi"}}, {Kind::kOpera, {"opera"}},
};

}  // namespace

std::vector<std::string> KeyringApplications(Kind kind) {
    std::vector<std::string> names;
    for (const auto& own : kOwnNames) {
        for (const char* name : own.names) {
            if (own.kind == kind && name != nullptr)
                names.emplace_back(name);
        }
    }
    for (const char* other : {"chrome", "chromium", "brave"}) {
        if (std::find(names.begin(), names.end(), other) == names.end())
            names.emplace_back(other);
    }
    return names;
}

std::optional<std::string> KeyringPassword(const std::string& application) {
    // Without a session bus, GLib would try to start one: there is no keyring to ask then.
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || bus[0] == '\0')
        return std::nullopt;
    const SecretLibrary* library = SecretLibrary::Load();
    if (library == nullptr)
        return std::nullopt;  // no keyring library installed: no keyring key either
    static const SecretSchema kSchema = {"chrome_libsecret_os_crypt_password_v2",
                                         SECRET_SCHEMA_DONT_MATCH_NAME,
                                         {{"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                         0,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr};
    GError* error = nullptr;
    gchar* password =
        library->lookup(&kSchema, nullptr, &error, "application", application.c_str(), nullptr);
    if (error != nullptr)
        library->freeError(error);
    if (password == nullptr)
        return std::nullopt;
    std::string result(password);
    library->free(password);
    return result;
}

}  // namespace tessel
