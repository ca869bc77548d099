#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessel::testing {

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(std::string_view name) const { return (path_ / name).string(); }

    // Writes bytes to name inside the directory and returns the file's path.
    std::string Write(std::string_view name, std::string_view bytes) const;

  private:
    std::filesystem::path path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

// The path of a file in the repository, from TESSEL_SOURCE_DIR (which CTest sets) or else from the
// working directory (a suite run by hand from the repository's root). The path is read at run time
// so that no clone's own folder is compiled into a test, and another clone reuses the objects from
// the compiler cache. Throws when the file is not there.
std::string SourceFile(std::string_view relativePath);

// The path of a fixture file under tests/data.
std::string DataFile(std::string_view name);

}  // namespace tessel::testing
