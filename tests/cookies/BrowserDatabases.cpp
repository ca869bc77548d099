#include "BrowserDatabases.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

namespace tessel::testing {

// Each version's table as that version of the browser creates it in a new profile.
void CreateFirefoxDatabase(const std::string& path, int version) {
    TestDatabase database(path);
    database.Exec("PRAGMA journal_mode = WAL");
    database.Exec(
        std::string("CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT "
                    "NULL DEFAULT '', name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, "
                    "lastAccessed INTEGER, creationTime INTEGER, isSecure INTEGER, isHttpOnly "
                    "INTEGER, inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER DEFAULT 0, ") +
        (version < 15 ? "rawSameSite INTEGER DEFAULT 0, " : "") + "schemeMap INTEGER DEFAULT 0, " +
        (version >= 13 ? "isPartitionedAttributeSet INTEGER DEFAULT 0, " : "") +
        (version >= 17 ? "updateTime INTEGER, " : "") +
        "CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))");
    database.Exec("PRAGMA user_version = " + std::to_string(version));
}

void CreateChromiumDatabase(const std::string& path, int version) {
    TestDatabase database(path);
    database.Exec(
        "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value "
        "LONGVARCHAR)");
    database.Exec("INSERT INTO meta VALUES ('mmap_status', '-1'), ('version', '" +
                  std::to_string(version) + "'), ('last_compatible_version', '" +
                  std::to_string(version) + "')");
    database.Exec(
        std::string(
            "CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,"
            "top_frame_site_key TEXT NOT NULL,name TEXT NOT NULL,value TEXT NOT NULL,"
            "encrypted_value BLOB NOT NULL,path TEXT NOT NULL,expires_utc INTEGER NOT NULL,"
            "is_secure INTEGER NOT NULL,is_httponly INTEGER NOT NULL,last_access_utc INTEGER NOT "
            "NULL,has_expires INTEGER NOT NULL,is_persistent INTEGER NOT NULL,priority INTEGER NOT "
            "NULL,samesite INTEGER NOT NULL,source_scheme INTEGER NOT NULL,source_port INTEGER NOT "
            "NULL,") +
        (version <= 20 ? "is_same_party INTEGER NOT NULL," : "") +
        "last_update_utc INTEGER NOT NULL" +
        (version >= 22 ? ",source_type INTEGER NOT NULL" : "") +
        (version >= 23 ? ",has_cross_site_ancestor INTEGER NOT NULL" : "") + ")");
    database.Exec(std::string("CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, "
                              "top_frame_site_key, ") +
                  (version >= 23 ? "has_cross_site_ancestor, " : "") + "name, path" +
                  (version >= 20 ? ", source_scheme, source_port" : "") + ")");
}

TestDatabase::TestDatabase(const std::string& path) {
    EXPECT_EQ(sqlite3_open(path.c_str(), &db_), SQLITE_OK) << path;
}

TestDatabase::~TestDatabase() {
    sqlite3_close(db_);
}

void TestDatabase::Exec(const std::string& sql) {
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
        << sql << ": " << (message ? message : "");
    sqlite3_free(message);
}

std::vector<std::vector<std::string>> TestDatabase::Rows(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, i));
            row.emplace_back(text ? std::string(text, static_cast<std::size_t>(
                                                          sqlite3_column_bytes(statement, i)))
                                  : std::string());
        }
    }
    sqlite3_finalize(statement);
    return rows;
}

}  // namespace tessel::testing

namespace tessel::testing {

std::string EncryptChromiumValue(const std::string& version, const std::string& password,
                                 const std::string& hostKey, const std::string& value) {
    unsigned char key[16];
    const std::string salt = "saltysalt";
    PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()),
                           reinterpret_cast<const unsigned char*>(salt.data()),
                           static_cast<int>(salt.size()), 1, sizeof key, key);
    std::string plain(SHA256_DIGEST_LENGTH, '\0');
    SHA256(reinterpret_cast<const unsigned char*>(hostKey.data()), hostKey.size(),
           reinterpret_cast<unsigned char*>(plain.data()));
    plain += value;
    const unsigned char iv[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                  ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    std::string out(plain.size() + 16, '\0');
    int written = 0;
    int last = 0;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, key, iv);
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &written,
                      reinterpret_cast<const unsigned char*>(plain.data()),
                      static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + written, &last);
    EVP_CIPHER_CTX_free(context);
    out.resize(static_cast<std::size_t>(written + last));
    return version + out;
}

void SeedChromiumValue(const std::string& path, const std::string& host, const std::string& version,
                       const std::string& password) {
    std::string hex;
    for (const unsigned char byte : EncryptChromiumValue(version, password, host, "old"))
        hex += std::string(1, "0123456789abcdef"[byte >> 4]) + "0123456789abcdef"[byte & 15];
    TestDatabase(path).Exec("INSERT INTO cookies VALUES (13400000000000000, '" + host +
                            "', '', 's', '', x'" + hex +
                            "', '/', 13451303223000000, 0, 0, 0, 1, 1, 1, -1, 1, 80, 0, 1, 0)");
}

}  // namespace tessel::testing
