#include "cli/PreferencesJson.h"

#include "cli/Preferences.h"

namespace tessel::cli {

JsonValue PreferencesToJson(const CBBSData& board, bool withPassword) {
    JsonValue json = JsonValue::Object();
    json.Add("name", JsonValue::String(board.PostName()));
    json.Add("mail", JsonValue::String(board.Mail()));
    json.Add("homePage", JsonValue::String(board.HomePage()));
    if (withPassword)
        json.Add("password", JsonValue::String(board.Password()));
    json.Add("viewCount", JsonValue::Integer(board.ViewCount()));
    json.Add("downloadCount", JsonValue::Integer(board.DownloadCount()));
    json.Add("order", JsonValue::String(std::string(OrderKeyword(board.ViewOrder()))));
    json.Add("unread", JsonValue::Bool(UnreadIsOn(board.NoReadView())));
    json.Add("noReadPoint", JsonValue::Integer(board.NoReadPoint()));
    json.Add("noReadPointR", JsonValue::Integer(board.NoReadPoint_R()));
    return json;
}

JsonValue IdentityToJson(const CBBSData& board, std::size_t position) {
    JsonValue json = JsonValue::Object();
    json.Add("position", JsonValue::Integer(static_cast<std::int64_t>(position)));
    json.Add("id", JsonValue::String(board.ID()));
    json.Add("nickname", JsonValue::String(board.NickName()));
    json.Add("name", JsonValue::String(board.Name()));
    json.Add("kind", JsonValue::String(std::string(KindKeyword(board))));
    json.Add("url", JsonValue::String(board.URL()));
    return json;
}

}  // namespace tessel::cli
