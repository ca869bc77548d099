#include <string>

#include "app/Messages.h"
#include "board/BoardMode.h"
#include "cli/Diagnostic.h"
#include "cli/Translate.h"
#include "cli/commands/BoardIndex.h"
#include "cli/commands/CommandTable.h"
#include "cli/commands/Preferences.h"
#include "cli/json/PreferencesJson.h"

namespace tessel::cli {
namespace {

constexpr std::size_t kLabelWidth = 17;  // the longest label and a space

void Line(std::ostream& out, std::string_view label, std::string_view value) {
    std::string text(label);
    text += ':';
    if (!value.empty())
        text.append(kLabelWidth - text.size(), ' ');
    out << text << value << '\n';
}

std::string MaskedPassword(const CBBSData& board, bool showPassword) {
    if (showPassword)
        return board.Password();
    return board.Password().empty() ? "(none)" : "******** (--show-password shows it)";
}

void PrintIdentity(const CBBSData& board, std::size_t position, std::ostream& out) {
    Line(out, "board", std::to_string(position) + " " + board.ID());
    Line(out, "nickname", board.NickName());
    Line(out, "name", board.Name());
    Line(out, "kind", KindKeyword(board));
    Line(out, "url", board.URL());
}

void PrintPreferences(const CBBSData& board, bool showPassword, std::ostream& out) {
    Line(out, "post name", board.PostName());
    Line(out, "mail", board.Mail());
    Line(out, "home page", board.HomePage());
    Line(out, "password", MaskedPassword(board, showPassword));
    Line(out, "view count", std::to_string(board.ViewCount()));
    Line(out, "download count", std::to_string(board.DownloadCount()));
    Line(out, "order", std::string(OrderKeyword(board.ViewOrder())) + " first");
    Line(out, "unread", UnreadIsOn(board.NoReadView()) ? "on" : "off");
    Line(out, "unread marker", std::to_string(board.NoReadPoint()));
    if (board.Mode() == kModeQuill)
        Line(out, "unread marker R", std::to_string(board.NoReadPoint_R()));
}

void PrintText(const CBBSData& board, std::size_t position, bool showPassword, bool stored,
               std::ostream& out) {
    PrintIdentity(board, position, out);
    if (!HasPreferencesCookie(board))
        Line(out, "preferences", "none (this kind of board keeps no preferences cookie)");
    else if (!stored)
        Line(out, "preferences", Tr("not set in this cookie store yet"));
    else
        PrintPreferences(board, showPassword, out);
}

void PrintJson(const CBBSData& board, std::size_t position, bool showPassword, bool stored,
               std::ostream& out) {
    Json json = IdentityToJson(board, position);
    if (HasPreferencesCookie(board) && stored) {
        json["preferences"] = PreferencesToJson(board, showPassword);
        json["passwordSet"] = !board.Password().empty();
    } else {
        json["preferences"] = nullptr;
    }
    out << DumpJson(json) << '\n';
}

}  // namespace

int RunShow(const Invocation& invocation, CommandContext& context) {
    std::string error;
    const auto position = BoardIndex(context.boards).Resolve(invocation.operands.at(0), error);
    if (!position)
        return UsageError(context.err, error);
    CBBSData& board = *context.boards.Item(*position);
    bool stored = true;
    if (HasPreferencesCookie(board) && !board.GetCookie()) {
        if (board.LastFailure().kind != CookieFailureKind::kNoCookie) {
            Diagnose(context.err, board.Name() + messages::kCookieReadFailed,
                     board.LastFailure().reason);
            return kExitSomeFailed;
        }
        stored = false;  // nothing set for this board yet: not a fault
    }
    if (invocation.json)
        PrintJson(board, *position, invocation.showPassword, stored, context.out);
    else
        PrintText(board, *position, invocation.showPassword, stored, context.out);
    return kExitOk;
}

}  // namespace tessel::cli
