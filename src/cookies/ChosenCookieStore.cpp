#include "cookies/ChosenCookieStore.h"

namespace tessel {

void ChosenCookieStore::Relay() {
    const CookieFailure& failure = store_->LastFailure();
    if (failure)
        Fail(failure);
    else
        Succeed();
}

std::optional<std::string> ChosenCookieStore::InternetGetCookie(const std::string& url,
                                                                const std::string& name) {
    std::optional<std::string> text = store_->InternetGetCookie(url, name);
    Relay();
    return text;
}

bool ChosenCookieStore::InternetSetCookie(const std::string& url, const std::string& name,
                                          const std::string& data) {
    const bool stored = store_->InternetSetCookie(url, name, data);
    Relay();
    return stored;
}

void ChosenCookieStore::BeginWrites() {
    store_->BeginWrites();
    Relay();
}

bool ChosenCookieStore::StageWrites() {
    const bool staged = store_->StageWrites();
    Relay();
    return staged;
}

bool ChosenCookieStore::CommitWrites() {
    const bool stored = store_->CommitWrites();
    Relay();
    return stored;
}

void ChosenCookieStore::CancelWrites() {
    store_->CancelWrites();
    Relay();
}

std::optional<std::string> ChosenCookieStore::RecordCookie(const std::string& url,
                                                           const std::string& name) {
    std::optional<std::string> record = store_->RecordCookie(url, name);
    Relay();
    return record;
}

bool ChosenCookieStore::RestoreCookie(const std::string& url, const std::string& name,
                                      const std::string& before, const std::string& written) {
    const bool restored = store_->RestoreCookie(url, name, before, written);
    Relay();
    return restored;
}

}  // namespace tessel
