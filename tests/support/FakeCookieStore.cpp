#include "support/FakeCookieStore.h"

#include "cookies/CookieRecord.h"

namespace tessel::testing {

std::optional<std::string> FakeCookieStore::ValueOf(const std::string& url,
                                                    const std::string& name) const {
    auto site = cookies_.find(url);
    if (site == cookies_.end())
        return std::nullopt;
    auto cookie = site->second.find(name);
    if (cookie == site->second.end())
        return std::nullopt;
    return cookie->second.substr(0, cookie->second.find("; expires="));
}

std::optional<std::string> FakeCookieStore::InternetGetCookie(const std::string& url,
                                                              const std::string&) {
    ++reads;
    if (failReads_) {
        Fail(CookieProblem::kStoreRefused);
        return std::nullopt;
    }
    Succeed();
    if (unreadable_.count(url) != 0)
        Fail(CookieProblem::kStoredHttpOnly);
    if (auto text = texts_.find(url); text != texts_.end())
        return text->second;
    std::string joined;
    if (auto site = cookies_.find(url); site != cookies_.end()) {
        for (const auto& [name, data] : site->second) {
            if (!joined.empty())
                joined += "; ";
            joined += name + "=" + data.substr(0, data.find(';'));
        }
    }
    return joined;
}

bool FakeCookieStore::InternetSetCookie(const std::string& url, const std::string& name,
                                        const std::string& data) {
    writes.push_back({url, name, data});
    if (const auto refused = refused_.find(url); refused != refused_.end())
        return Fail(refused->second);
    cookies_[url][name] = data;
    Succeed();
    return true;
}

std::optional<std::string> FakeCookieStore::RecordCookie(const std::string& url,
                                                         const std::string& name) {
    Succeed();
    const auto site = cookies_.find(url);
    if (site == cookies_.end() || site->second.count(name) == 0)
        return JoinRecord("absent", {});
    return JoinRecord("set", {site->second.at(name)});
}

bool FakeCookieStore::RestoreCookie(const std::string& url, const std::string& name,
                                    const std::string& before, const std::string& written) {
    const std::string now = *RecordCookie(url, name);
    if (now == before)
        return true;
    if (now != written)
        return Fail(CookieProblem::kChangedSinceWrite);
    if (const auto data = SplitRecord("set", before))
        cookies_[url][name] = data->at(0);
    else
        cookies_[url].erase(name);
    return true;
}

}  // namespace tessel::testing
