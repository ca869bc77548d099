#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessel::testing {

// Browser cookie databases of each schema version (Firefox 12 to 17, Chromium 18 to 24), made as
// the browsers' own sources create them; the newest as measured on Debian's firefox-esr 153 and
// chromium 156, so that the stores meet what the browsers make.
void CreateFirefoxDatabase(const std::string& path, int version = 17);
void CreateChromiumDatabase(const std::string& path, int version = 24);

// One SQL connection for a test to look at or change a database with.
class TestDatabase {
  public:
    explicit TestDatabase(const std::string& path);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    void Exec(const std::string& sql);
    // The rows of a query, each column as text ("" for NULL).
    std::vector<std::vector<std::string>> Rows(const std::string& sql);

  private:
    sqlite3* db_ = nullptr;
};

}  // namespace tessel::testing

namespace tessel::testing {

// A value as a browser of the Chromium family stores it on Linux under version ("v10", "v11",
// "v12") with the key derived from password, made independently of the program's cipher.
std::string EncryptChromiumValue(const std::string& version, const std::string& password,
                                 const std::string& hostKey, const std::string& value);

// Adds the cookie "s=old" of host to a Chromium database, encrypted as EncryptChromiumValue does.
void SeedChromiumValue(const std::string& path, const std::string& host, const std::string& version,
                       const std::string& password);

}  // namespace tessel::testing
