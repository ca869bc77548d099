// The JSON reader and the import document over it: any text is read or refused, and what is read
// writes out and reads again to the same text.
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "board/CookieStore.h"
#include "cli/BoardIndex.h"
#include "cli/ImportDocument.h"
#include "cli/JsonReader.h"
#include "cli/JsonWriter.h"

using namespace tessel;

namespace {

class NoStore : public CookieStore {
  public:
    std::optional<std::string> InternetGetCookie(const std::string&, const std::string&) override {
        return std::string();
    }
    bool InternetSetCookie(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
};

const cli::BoardIndex& Index() {
    static NoStore store;
    static fuzz::FixedClock clock;
    static BoardList boards;
    static const cli::BoardIndex index = [] {
        const std::pair<const char*, BoardMode> kinds[] = {
            {"zatsudan", kModeFernoBBS}, {"quill", kModeQuill}, {"harbor", kModeHarbor}};
        for (const auto& [id, mode] : kinds) {
            auto board = std::make_unique<CBBSData>(store, clock);
            board->ID(id);
            board->NickName(id);
            board->URL(std::string("http://bbs.example.jp/") + id + "/bbs.cgi");
            board->Mode(mode);
            boards.Add(std::move(board));
        }
        return cli::BoardIndex(boards);
    }();
    return index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    cli::ReadImport(text, Index());
    std::string error;
    const auto value = cli::ReadJson(text, error, 100000);
    if (!value)
        return 0;
    const std::string written = cli::WriteJson(*value);
    const auto again = cli::ReadJson(written, error);
    fuzz::Check(again && cli::WriteJson(*again) == written, "written JSON reads back the same");
    return 0;
}
