#include "posix/SecretServiceKey.h"

#include <libsecret/secret.h>

#include <cstdlib>

namespace tessel {

std::optional<std::string> ChromiumKeyringPassword() {
    // Without a session bus, GLib would try to start one: there is no keyring to ask then.
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || bus[0] == '\0')
        return std::nullopt;
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
        secret_password_lookup_sync(&kSchema, nullptr, &error, "application", "chromium", nullptr);
    if (error != nullptr)
        g_error_free(error);
    if (password == nullptr)
        return std::nullopt;
    std::string result(password);
    secret_password_free(password);
    return result;
}

}  // namespace tessel
