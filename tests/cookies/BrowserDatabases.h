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
