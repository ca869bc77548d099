#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace tessel::cli {

// Objects keep their members in the order given, so that what we write follows the board list.
using Json = nlohmann::ordered_json;

// The value as JSON text indented two spaces a level, without a final line feed. Besides what JSON
// asks, DEL, C1 controls and bidirectional overrides are escaped, so that no text from outside acts
// on a terminal the document is shown on; a byte that is not UTF-8 becomes U+FFFD.
std::string DumpJson(const Json& value);

// Writes a JSON array or object one element at a time, as DumpJson would write it whole, so that a
// long list is never held in memory as a document. Close writes the closing bracket.
class JsonListWriter {
  public:
    JsonListWriter(std::ostream& out, char open, char close);
    void Item(const Json& value);
    void Member(const std::string& key, const Json& value);
    void Close();

  private:
    void Begin();

    std::ostream& out_;
    char close_;
    bool empty_ = true;
};

}  // namespace tessel::cli
