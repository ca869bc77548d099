#include "win32/browsers/WindowsCookieStores.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <sddl.h>

#include <filesystem>
#include <fstream>

#include "cookies/ChromiumCookieStore.h"
#include "cookies/FirefoxCookieStore.h"
#include "win32/WideText.h"
#include "win32/WinInetCookieStore.h"
#include "win32/browsers/CodePageCookieCodec.h"
#include "win32/browsers/DpapiCookieCipher.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;
using Kind = CookieStoreLocation::Kind;

fs::path PathOf(std::string_view utf8) {
    return fs::path(win32::Widen(utf8));
}

bool IsBrowser(const SharedOptions& options) {
    return options.cookieStore && options.cookieStore->kind != Kind::kWinInet;
}

// The current user's SID in its text form, or empty.
std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::wstring text;
    std::string buffer(size, '\0');
    LPWSTR sid = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

// The parts a store refers to, constructed before it (they come first among the bases).
struct FirefoxParts {
    explicit FirefoxParts(const std::string& database)
        : lock({database,
                win32::Narrow((PathOf(database).parent_path() / L"parent.lock").wstring())},
               "Firefox") {}
    SharingLock lock;
};

class WindowsFirefoxStore : private FirefoxParts, public FirefoxCookieStore {
  public:
    WindowsFirefoxStore(const BrowserPaths& paths, Clock& clock, CookieCharset charset)
        : FirefoxParts(paths.database),
          FirefoxCookieStore(paths.database, clock, lock, charset == CookieCharset::kUtf8) {}
};

struct ChromiumParts {
    ChromiumParts(const BrowserPaths& paths, Kind kind, CookieCharset charset)
        : title(BrowserTitle(kind)),
          lock({paths.database}, title),
          cipher(win32::Narrow((PathOf(paths.userData) / L"Local State").wstring()), title),
          codec(charset) {}
    std::string title;
    SharingLock lock;
    DpapiCookieCipher cipher;
    CodePageCookieCodec codec;
};

class WindowsChromiumStore : private ChromiumParts, public ChromiumCookieStore {
  public:
    WindowsChromiumStore(const BrowserPaths& paths, Kind kind, Clock& clock, CookieCharset charset)
        : ChromiumParts(paths, kind, charset),
          ChromiumCookieStore(paths.database, clock, lock, cipher, codec) {}

  protected:
    std::string BrowserName() const override { return title; }

    // A file whose access list grants the user alone, and nobody inherits from the folder. The
    // backup of an earlier session goes first, by its UTF-16 name.
    bool CreatePrivateFile(const std::string& path) override {
        DeleteFileW(win32::Widen(path).c_str());
        const std::wstring sid = UserSid();
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (sid.empty() ||
            !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                (L"D:P(A;;FA;;;" + sid + L")").c_str(), SDDL_REVISION_1, &descriptor, nullptr))
            return false;
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        const HANDLE file = CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE, 0, &attributes,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        LocalFree(descriptor);
        return file != INVALID_HANDLE_VALUE && CloseHandle(file);
    }
};

std::string CharsetName(CookieCharset charset) {
    return charset == CookieCharset::kUtf8 ? "UTF-8" : "Shift_JIS";
}

// %APPDATA%\<product>\cookie-store, or empty.
fs::path RememberedPath() {
    const UserFolders folders = CurrentUserFolders();
    return folders.roaming.empty() ? fs::path()
                                   : PathOf(folders.roaming) / L"TesselCustom" / L"cookie-store";
}

std::vector<std::string> RememberedLines() {
    std::vector<std::string> lines;
    std::ifstream file(RememberedPath());
    for (std::string line; lines.size() < 2 && std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

SharingLock::SharingLock(std::vector<std::string> files, std::string browser)
    : files_(std::move(files)), browser_(std::move(browser)) {}

CookieFailure SharingLock::InUseReason() {
    for (const std::string& path : files_) {
        const HANDLE file = CreateFileW(win32::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        } else if (GetLastError() == ERROR_SHARING_VIOLATION ||
                   GetLastError() == ERROR_LOCK_VIOLATION) {
            return MakeFailure(CookieProblem::kBrowserRunning,
                               CookieDetails().Name(browser_).Path(path));
        }
    }
    return {};
}

CookieCharset ChosenCharset(const SharedOptions& options) {
    if (!IsBrowser(options))
        return CookieCharset::kCp932;  // WinINet speaks the system's code page
    const bool firefox = options.cookieStore && options.cookieStore->kind == Kind::kFirefox;
    return options.charset.value_or(firefox ? CookieCharset::kUtf8 : CookieCharset::kCp932);
}

std::unique_ptr<CookieStore> OpenCookieStore(const SharedOptions& options, Clock& clock,
                                             std::string& error, const UserFolders& folders) {
    if (!IsBrowser(options))
        return std::make_unique<WinInetCookieStore>();
    const CookieStoreLocation& location = *options.cookieStore;
    if (location.kind == Kind::kJar) {
        error =
            "cookies.txt jars are not written on Windows: use wininet, firefox, chrome, edge "
            "or brave";
        return nullptr;
    }
    const std::optional<BrowserPaths> paths = ResolveBrowserPaths(location, folders, error);
    if (!paths)
        return nullptr;
    if (location.kind == Kind::kFirefox)
        return std::make_unique<WindowsFirefoxStore>(*paths, clock, ChosenCharset(options));
    return std::make_unique<WindowsChromiumStore>(*paths, location.kind, clock,
                                                  ChosenCharset(options));
}

std::string DescribeCookieStore(const SharedOptions& options) {
    const std::string charset = "（" + CharsetName(ChosenCharset(options)) + "）";
    if (!IsBrowser(options))
        return "WinINet" + charset;
    const std::string& path = options.cookieStore->path;
    return BrowserTitle(options.cookieStore->kind) + ": " +
           (path.empty() ? std::string("既定のプロファイル") : path) + charset;
}

std::string NameCookieStore(const SharedOptions& options, const CookieStore& store) {
    const std::string charset = " (" + CharsetName(ChosenCharset(options)) + ")";
    if (const auto* browser = dynamic_cast<const BrowserCookieStore*>(&store))
        return BrowserTitle(options.cookieStore->kind) + " " + browser->DatabasePath() + charset;
    return "WinINet" + charset;
}

std::string IdentifyCookieStore(const SharedOptions& options, const CookieStore& store) {
    const auto* browser = dynamic_cast<const BrowserCookieStore*>(&store);
    if (browser == nullptr)
        return kStoreIdentity;
    std::error_code ignored;
    const fs::path full = fs::absolute(PathOf(browser->DatabasePath()), ignored);
    return BrowserTitle(options.cookieStore->kind) + " " +
           win32::Narrow(full.lexically_normal().wstring());
}

std::vector<FoundStore> FindCookieStores(Clock& clock, CookieCharset charset,
                                         const UserFolders& folders) {
    std::vector<FoundStore> stores{{{Kind::kWinInet, {}}, {}, {}, true, true, {}, {}}};
    std::vector<BrowserProfile> profiles = FindFirefoxProfiles(folders);
    for (const Kind kind : {Kind::kChrome, Kind::kEdge, Kind::kBrave, Kind::kChromium}) {
        for (BrowserProfile& profile : FindChromiumProfiles(kind, folders))
            profiles.push_back(std::move(profile));
    }
    for (const BrowserProfile& profile : profiles) {
        FoundStore& found = stores.emplace_back();
        found.location = profile.location;
        found.name = profile.name;
        found.isDefault = profile.isDefault;
        SharedOptions options;
        options.cookieStore = profile.location;
        options.charset = charset;
        const std::unique_ptr<CookieStore> store =
            OpenCookieStore(options, clock, found.error, folders);
        if (auto* browser = dynamic_cast<BrowserCookieStore*>(store.get())) {
            found.path = browser->DatabasePath();
            found.writable = browser->CheckWritable();
            found.failure = browser->LastFailure();
        }
    }
    return stores;
}

bool IsChosenStore(const FoundStore& found, const std::optional<CookieStoreLocation>& chosen) {
    const CookieStoreLocation wanted = chosen.value_or(CookieStoreLocation{Kind::kWinInet, {}});
    if (wanted.kind != found.location.kind)
        return false;
    if (wanted.path.empty())
        return found.isDefault;
    std::error_code error;
    const fs::path given = fs::weakly_canonical(PathOf(wanted.path), error);
    const fs::path profile = fs::weakly_canonical(PathOf(found.location.path), error);
    return given == profile || (found.isDefault && given / L"Default" == profile);
}

std::optional<CookieStoreLocation> LoadRememberedCookieStore() {
    const std::vector<std::string> lines = RememberedLines();
    return lines.empty() ? std::nullopt : ParseCookieStoreArgument(lines[0]).location;
}

std::optional<CookieCharset> LoadRememberedCookieCharset() {
    const std::vector<std::string> lines = RememberedLines();
    return lines.size() < 2 ? std::nullopt : ParseCookieCharset(lines[1]).charset;
}

bool RememberCookieStore(const CookieStoreLocation& location,
                         std::optional<CookieCharset> charset) {
    const fs::path path = RememberedPath();
    std::error_code error;
    if (path.empty() || (fs::create_directories(path.parent_path(), error), error))
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << FormatCookieStoreArgument(location) << '\n';
    if (charset)
        file << (*charset == CookieCharset::kUtf8 ? "utf-8\n" : "cp932\n");
    return static_cast<bool>(file.flush());
}

}  // namespace tessel
