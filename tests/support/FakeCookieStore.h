#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cookies/Clock.h"
#include "cookies/CookieStore.h"

namespace tessel::testing {

// A cookie store in memory: one cookie text per address, with the writes it received recorded.
// Reads see the cookies set for exactly that address, "name=value" joined by "; ".
class FakeCookieStore : public CookieStore {
  public:
    struct Write {
        std::string url, name, data;
    };

    // Makes reads of url return exactly text, whatever was set.
    void SetText(const std::string& url, const std::string& text) { texts_[url] = text; }
    // Refuses writes for url with the failure given.
    void RefuseWritesFor(const std::string& url,
                         CookieFailure why = MakeFailure(CookieProblem::kTooLong,
                                                         CookieDetails().Limit(4096))) {
        refused_[url] = std::move(why);
    }
    // Makes reads of url say that the cookie asked for is stored but cannot be read.
    void HideUnreadableCookie(const std::string& url) { unreadable_.insert(url); }
    void FailReads() { failReads_ = true; }
    void FailCommit() { failCommit_ = true; }
    void FailStage() { failStage_ = true; }

    // The value part (before "; expires=") of the cookie name set for url, if any.
    std::optional<std::string> ValueOf(const std::string& url, const std::string& name) const;

    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) override;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) override;
    void BeginWrites() override { ++batches; }
    bool StageWrites() override {
        ++stages;
        return !failStage_ || Fail(CookieProblem::kStoreRefused);
    }
    bool CommitWrites() override {
        ++commits;
        return !failCommit_ || Fail(CookieProblem::kStoreRefused);
    }
    void CancelWrites() override { ++cancels; }
    // Records are "absent", or "set" and the data the cookie was set with.
    std::optional<std::string> RecordCookie(const std::string& url,
                                            const std::string& name) override;
    bool RestoreCookie(const std::string& url, const std::string& name, const std::string& before,
                       const std::string& written) override;

    std::vector<Write> writes;
    int reads = 0;
    int batches = 0;
    int stages = 0;
    int commits = 0;
    int cancels = 0;

  private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, std::map<std::string, std::string>> cookies_;
    std::map<std::string, CookieFailure> refused_;
    std::set<std::string> unreadable_;
    bool failStage_ = false;
    bool failReads_ = false;
    bool failCommit_ = false;
};

// A clock that always tells the same moment.
class FixedClock : public Clock {
  public:
    explicit FixedClock(SystemTime now) : now_(now) {}
    SystemTime GetSystemTime() override { return now_; }
    void Set(SystemTime now) { now_ = now; }

  private:
    SystemTime now_;
};

}  // namespace tessel::testing
