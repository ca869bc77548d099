#include "posix/browsers/LinuxBrowserStores.h"

#include <fcntl.h>
#include <unistd.h>

#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "posix/browsers/BrowserProfileLocks.h"
#include "posix/browsers/ChromiumCipher.h"
#include "posix/browsers/SecretServiceKey.h"
#include "posix/charset/CharsetCookieCodec.h"

namespace tessel {
namespace {

// The parts a store refers to, constructed before it (they come first among the bases).
struct FirefoxParts {
    explicit FirefoxParts(const std::string& profile) : lock(profile) {}
    FirefoxProfileLock lock;
};

class LinuxFirefoxStore : private FirefoxParts, public FirefoxCookieStore {
  public:
    LinuxFirefoxStore(const BrowserPaths& paths, Clock& clock, CookieCharset charset)
        : FirefoxParts(paths.lockDirectory),
          FirefoxCookieStore(paths.database, clock, lock, charset == CookieCharset::kUtf8) {}
};

struct ChromiumParts {
    ChromiumParts(const CookieStoreLocation& location, const std::string& userData,
                  CookieCharset charset, const Environment& environment)
        : lock(userData, BrowserDisplayName(location.kind), RuntimeDirectory(environment)),
          cipher(KeyringApplications(location.kind), KeyringPassword),
          codec(charset) {}
    static std::string RuntimeDirectory(const Environment& environment) {
        const char* runtime = environment("XDG_RUNTIME_DIR");
        return runtime != nullptr && runtime[0] == '/' ? runtime : "";
    }
    ChromiumProfileLock lock;
    ChromiumCipher cipher;
    CharsetCookieCodec codec;
};

class LinuxChromiumStore : private ChromiumParts, public ChromiumCookieStore {
  public:
    LinuxChromiumStore(const CookieStoreLocation& location, const BrowserPaths& paths, Clock& clock,
                       CookieCharset charset, const Environment& environment)
        : ChromiumParts(location, paths.lockDirectory, charset, environment),
          ChromiumCookieStore(paths.database, clock, lock, cipher, codec) {}

    bool FellBack() const { return cipher.FellBack(); }

  protected:
    bool CreatePrivateFile(const std::string& path) override {
        const int fd =
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        return fd >= 0 && close(fd) == 0;
    }
};

}  // namespace

std::unique_ptr<BrowserCookieStore> OpenBrowserStore(const CookieStoreLocation& location,
                                                     Clock& clock, CookieCharset charset,
                                                     const Environment& environment,
                                                     CookieFailure& error) {
    const std::optional<BrowserPaths> paths = ResolveBrowserPaths(location, environment, error);
    if (!paths)
        return nullptr;
    if (location.kind == CookieStoreLocation::Kind::kFirefox)
        return std::make_unique<LinuxFirefoxStore>(*paths, clock, charset);
    return std::make_unique<LinuxChromiumStore>(location, *paths, clock, charset, environment);
}

bool WroteWithoutKeyring(const CookieStore& store) {
    const auto* chromium = dynamic_cast<const LinuxChromiumStore*>(&store);
    return chromium != nullptr && chromium->FellBack();
}

}  // namespace tessel
