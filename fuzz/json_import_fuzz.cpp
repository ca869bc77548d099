// The import document: any text is read or refused as a whole.
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "cli/commands/BoardIndex.h"
#include "cli/json/ImportDocument.h"
#include "cookies/CookieStore.h"

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
    cli::ReadImport(fuzz::AsText(data, size), Index());
    return 0;
}
