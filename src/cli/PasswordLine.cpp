#include "cli/PasswordLine.h"

namespace tessel::cli {

std::optional<std::string> ReadPasswordLine(std::istream& in) {
    std::string line;
    if (!std::getline(in, line) && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace tessel::cli
