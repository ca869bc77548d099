#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cookies/CookieUrl.h"
#include "cookies/StoredCookie.h"

namespace tessel {

// The cookies of a store held in memory by domain, so that the many reads and writes of one
// batch cost a lookup each rather than a pass over the store's table.
class CookieSnapshot {
  public:
    void Put(StoredCookie cookie);  // replaces the cookie with the same domain, path and name
    void Remove(std::string_view domain, bool hostOnly, std::string_view path,
                std::string_view name);
    const StoredCookie* Find(std::string_view domain, bool hostOnly, std::string_view path,
                             std::string_view name) const;

    // The cookies of host and the domains above it, whatever their path, flags or expiry.
    std::vector<const StoredCookie*> Above(std::string_view host) const;

    // The cookies a request to address carries at now, in the order browsers send them.
    std::vector<const StoredCookie*> For(const CookieUrl& address, std::int64_t now) const;

    std::size_t Size() const { return size_; }

  private:
    std::vector<StoredCookie>* Domain(std::string_view domain);
    const std::vector<StoredCookie>* Domain(std::string_view domain) const;

    std::unordered_map<std::string, std::vector<StoredCookie>> byDomain_;
    std::size_t size_ = 0;
};

}  // namespace tessel
