// The jar document's indexes against a walk over every line, through edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "cookies/jar/CookieJarDocument.h"
#include "text/TextCase.h"

namespace tessel {
namespace {

using LineIndex = CookieJarDocument::LineIndex;

// Many domains in any letter case, with and without the dot, HttpOnly lines, comments and damaged
// lines; lines appended, replaced and removed between look-ups. Each look-up must find exactly the
// lines a walk over the whole document finds.
TEST(CookieJarDocumentTest, LookUpsFindWhatAWalkOverEveryLineFinds) {
    std::vector<std::string> domains = {"a.example.jp", "b.example.jp", "example.jp", "jp", "x",
                                        "1.2.3.4"};
    for (int i = 0; i < 150; ++i)  // enough for the tables to grow a few times
        domains.push_back("site" + std::to_string(i) + ".example.com");
    const std::vector<std::string> paths = {"/", "/cgi-bin", "/cgi-bin/"};
    const std::vector<std::string> names = {"n", "N", "http://a.example.jp/cgi-bin/bbs.cgi"};
    std::minstd_rand random(11);
    const auto pick = [&](const std::vector<std::string>& from) {
        return from[random() % from.size()];
    };
    const auto makeLine = [&] {
        std::string domain = pick(domains);
        if (random() % 3 == 0)
            domain = FoldCase(domain) == domain ? std::string(1, '.') + domain : domain;
        if (random() % 4 == 0)
            std::transform(domain.begin(), domain.end(), domain.begin(),
                           [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
        switch (random() % 8) {
            case 0:
                return std::string("# a comment\t") + domain;
            case 1:
                return domain + "\tMAYBE\t/\tFALSE\t0\tn\tv";  // damaged
            case 2:
                domain = "#HttpOnly_" + domain;
                break;
            default:
                break;
        }
        return domain + (random() % 2 ? "\tTRUE\t" : "\tFALSE\t") + pick(paths) + "\tFALSE\t0\t" +
               pick(names) + "\tv" + std::to_string(random() % 100);
    };

    std::string bytes = "# Netscape HTTP Cookie File\n";
    std::size_t count = 1;
    for (; count < 1500; ++count)
        bytes += makeLine() + "\n";
    CookieJarDocument document(bytes);
    for (int round = 0; round < 1000; ++round) {
        const auto line = static_cast<LineIndex>(random() % count);
        switch (random() % 4) {
            case 0:
                document.Remove(line);
                break;
            case 1:  // a new value for the same cookie, as writes replace lines
                if (const std::string_view text = document.Text(line); document.Cookie(line))
                    document.Replace(line, std::string(text.substr(0, text.rfind('\t'))) + "\tw");
                break;
            default:
                if (const std::string text = makeLine();
                    const auto entry = ParseCookieJarLine(text)) {
                    document.Append(text, *entry);
                    ++count;
                }
                break;
        }
        const std::string domain = pick(domains), path = pick(paths), name = pick(names);
        SCOPED_TRACE(std::to_string(round) + " " + domain + " " + path + " " + name);
        std::vector<LineIndex> ofDomain, withKey;
        for (LineIndex at = 0; at < count; ++at) {
            const auto entry = document.Cookie(at);
            if (!entry || !EqualsIgnoreCase(entry->domain, domain))
                continue;
            ofDomain.push_back(at);
            if (entry->path == path && entry->name == name)
                withKey.push_back(at);
        }
        std::vector<LineIndex> found = document.CookiesOf(domain);
        std::sort(found.begin(), found.end());
        ASSERT_EQ(found, ofDomain);
        ASSERT_EQ(document.LinesWithKey(domain, path, name), withKey);
    }
}

}  // namespace
}  // namespace tessel
