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
    ChromiumParts(const std::string& userData, CookieCharset charset)
        : lock(userData), cipher(ChromiumKeyringPassword), codec(charset) {}
    ChromiumProfileLock lock;
    ChromiumCipher cipher;
    CharsetCookieCodec codec;
};

class LinuxChromiumStore : private ChromiumParts, public ChromiumCookieStore {
  public:
    LinuxChromiumStore(const BrowserPaths& paths, Clock& clock, CookieCharset charset)
        : ChromiumParts(paths.lockDirectory, charset),
          ChromiumCookieStore(paths.database, clock, lock, cipher, codec) {}

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
                                                     std::string& error) {
    const std::optional<BrowserPaths> paths = ResolveBrowserPaths(location, environment, error);
    if (!paths)
        return nullptr;
    if (location.kind == CookieStoreLocation::Kind::kFirefox)
        return std::make_unique<LinuxFirefoxStore>(*paths, clock, charset);
    return std::make_unique<LinuxChromiumStore>(*paths, clock, charset);
}

}  // namespace tessel
