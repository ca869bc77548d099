#include "cli/json/PreferencesJson.h"

#include "cli/commands/Preferences.h"

namespace tessel::cli {

Json PreferencesToJson(const CBBSData& board, bool withPassword) {
    Json json = {
        {"name", board.PostName()}, {"mail", board.Mail()}, {"homePage", board.HomePage()}};
    if (withPassword)
        json["password"] = board.Password();
    json["viewCount"] = board.ViewCount();
    json["downloadCount"] = board.DownloadCount();
    json["order"] = OrderKeyword(board.ViewOrder());
    json["unread"] = UnreadIsOn(board.NoReadView());
    json["noReadPoint"] = board.NoReadPoint();
    json["noReadPointR"] = board.NoReadPoint_R();
    return json;
}

Json IdentityToJson(const CBBSData& board, std::size_t position) {
    return {{"position", position}, {"id", board.ID()},           {"nickname", board.NickName()},
            {"name", board.Name()}, {"kind", KindKeyword(board)}, {"url", board.URL()}};
}

}  // namespace tessel::cli
