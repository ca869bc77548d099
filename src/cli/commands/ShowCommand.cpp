#include <algorithm>
#include <string>

#include "app/Messages.h"
#include "board/BoardMode.h"
#include "cli/Diagnostic.h"
#include "cli/FailureText.h"
#include "cli/Translate.h"
#include "cli/commands/BoardIndex.h"
#include "cli/commands/CommandTable.h"
#include "cli/commands/Preferences.h"
#include "cli/json/PreferencesJson.h"
#include "cli/terminal/DisplayWidth.h"

namespace tessel::cli {
namespace {

// The labels of show's lines; the values line up past the widest label of the user's language.
enum Label {
    kBoard,
    kNickname,
    kName,
    kKind,
    kUrl,
    kPostName,
    kMail,
    kHomePage,
    kPassword,
    kViewCount,
    kDownloadCount,
    kOrder,
    kUnread,
    kUnreadMarker,
    kUnreadMarkerR,
    kPreferences,
};

constexpr const char* kLabels[] = {
    TrLater("board"),
    TrLater("nickname"),
    TrLater("name"),
    TrLater("kind"),
    TrLater("url"),
    TrLater("post name"),
    TrLater("mail"),
    TrLater("home page"),
    TrLater("password"),
    TrLater("view count"),
    TrLater("download count"),
    TrLater("order"),
    TrLater("unread"),
    TrLater("unread marker"),
    TrLater("unread marker R"),
    TrLater("preferences"),
};

class Lines {
  public:
    explicit Lines(std::ostream& out) : out_(out) {
        for (const char* label : kLabels)
            width_ = std::max(width_, DisplayWidth(Tr(label)) + 2);  // the colon and a space
    }

    void operator()(Label label, std::string_view value) {
        const std::string text = std::string(Tr(kLabels[label])) + ':';
        out_ << (value.empty() ? text : PadToWidth(text, width_)) << value << '\n';
    }

  private:
    std::ostream& out_;
    std::size_t width_ = 0;
};

std::string MaskedPassword(const CBBSData& board, bool showPassword) {
    if (showPassword)
        return board.Password();
    return board.Password().empty() ? Tr("(none)") : Tr("******** (--show-password shows it)");
}

void PrintIdentity(const CBBSData& board, std::size_t position, Lines& line) {
    line(kBoard, std::to_string(position) + " " + board.ID());
    line(kNickname, board.NickName());
    line(kName, board.Name());
    line(kKind, KindKeyword(board));
    line(kUrl, board.URL());
}

void PrintPreferences(const CBBSData& board, bool showPassword, Lines& line) {
    line(kPostName, board.PostName());
    line(kMail, board.Mail());
    line(kHomePage, board.HomePage());
    line(kPassword, MaskedPassword(board, showPassword));
    line(kViewCount, std::to_string(board.ViewCount()));
    line(kDownloadCount, std::to_string(board.DownloadCount()));
    line(kOrder,
         OrderKeyword(board.ViewOrder()) == "newest" ? Tr("newest first") : Tr("oldest first"));
    line(kUnread, UnreadIsOn(board.NoReadView()) ? Tr("on") : Tr("off"));
    line(kUnreadMarker, std::to_string(board.NoReadPoint()));
    if (board.Mode() == kModeQuill)
        line(kUnreadMarkerR, std::to_string(board.NoReadPoint_R()));
}

void PrintText(const CBBSData& board, std::size_t position, bool showPassword, bool stored,
               std::ostream& out) {
    Lines line(out);
    PrintIdentity(board, position, line);
    if (!HasPreferencesCookie(board))
        line(kPreferences, Tr("none (this kind of board keeps no preferences cookie)"));
    else if (!stored)
        line(kPreferences, Tr("not set in this cookie store yet"));
    else
        PrintPreferences(board, showPassword, line);
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
            Diagnose(context.err, CookieReadFailed(board.Name()), FailureText(board.LastFailure()));
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
