// The cookies.txt jar: its line index, and a write into whatever file it is given. A write keeps
// every line it does not own byte for byte, and what it wrote reads back.
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "cookies/jar/CookieJarDocument.h"
#include "cookies/jar/CookieJarLine.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "text/TextCase.h"

using namespace tessel;

namespace {

constexpr char kUrl[] = "http://bbs.example.jp/b/bbs.cgi";
constexpr char kName[] = "fuzzname";

// The lines of a file that do not mention the written cookie's name; line ends are left out, so
// that the line feed a write adds after an unterminated last line does not count.
std::vector<std::string> OtherLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(begin, end - begin);
        if (line.find(kName) == std::string::npos)
            lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void CheckIndex(const std::string& bytes) {
    CookieJarDocument document(bytes);
    for (CookieJarDocument::LineIndex line : document.CookiesOf("bbs.example.jp")) {
        const auto entry = document.Cookie(line);
        fuzz::Check(entry && EqualsIgnoreCase(entry->domain, "bbs.example.jp"),
                    "a domain's lines hold its cookies");
    }
    fuzz::Check(document.Serialize() == bytes, "an unchanged jar serializes to its bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(fuzz::AsText(data, size));
    CheckIndex(bytes);

    static const std::string directory = [] {
        std::string path = fuzz::ScratchPath("jar");
        mkdir(path.c_str(), 0700);
        return path;
    }();
    const std::string path = directory + "/cookies.txt";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    fuzz::FixedClock clock;
    {
        NetscapeCookieJar jar(path, clock);
        jar.InternetGetCookie(kUrl, kUrl);
        if (!jar.InternetSetCookie(kUrl, kName, "v1; expires=Sun, 04-Apr-2027 09:07:03 GMT"))
            return 0;
    }
    // An empty file is a new jar, which starts with the header.
    const std::string before = bytes.empty() ? "# Netscape HTTP Cookie File\n" : bytes;
    const std::vector<std::string> kept = OtherLines(ReadAll(path));
    std::vector<std::string> expected = OtherLines(before);
    bool same = kept == expected;
    // An unterminated last line gets the file's line end, which may be CR LF, before a new line.
    if (!same && !before.ends_with('\n') && !expected.empty()) {
        expected.back() += '\r';
        same = kept == expected;
    }
    fuzz::Check(same, "other lines are kept");
    NetscapeCookieJar reader(path, clock);
    const auto text = reader.InternetGetCookie(kUrl, kName);
    fuzz::Check(text && text->find(std::string(kName) + "=v1") != std::string::npos,
                "the written cookie reads back");
    return 0;
}
