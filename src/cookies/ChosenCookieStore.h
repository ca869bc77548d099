#pragma once

#include <memory>

#include "cookies/CookieStore.h"

namespace tessel {

// The store the reader chose, which the reader may change while the program runs: every call goes
// to the current store, and its reason comes back with it. The boards keep referring to this one.
class ChosenCookieStore : public CookieStore {
  public:
    explicit ChosenCookieStore(std::unique_ptr<CookieStore> store) : store_(std::move(store)) {}

    // Takes store in place of the current one; not while a batch is open.
    void Replace(std::unique_ptr<CookieStore> store) { store_ = std::move(store); }
    CookieStore& Current() { return *store_; }

    std::optional<std::string> InternetGetCookie(const std::string& url,
                                                 const std::string& name) override;
    bool InternetSetCookie(const std::string& url, const std::string& name,
                           const std::string& data) override;
    void ExpectWrites(std::size_t count) override { store_->ExpectWrites(count); }
    void BeginWrites() override;
    bool StageWrites() override;
    bool CommitWrites() override;
    void CancelWrites() override;
    std::optional<std::string> RecordCookie(const std::string& url,
                                            const std::string& name) override;
    bool RestoreCookie(const std::string& url, const std::string& name, const std::string& before,
                       const std::string& written) override;

  private:
    void Relay();

    std::unique_ptr<CookieStore> store_;
};

}  // namespace tessel
