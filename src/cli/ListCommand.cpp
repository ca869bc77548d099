#include <algorithm>
#include <string>

#include "cli/Commands.h"
#include "cli/DisplayWidth.h"
#include "cli/ExitCode.h"
#include "cli/Preferences.h"
#include "cli/PreferencesJson.h"

namespace tessel::cli {
namespace {

struct Columns {
    std::size_t position = 0, nickname = 0, name = 0, kind = 0;
};

Columns Measure(const BoardList& boards) {
    Columns widths;
    widths.position = std::to_string(boards.Count()).size();
    for (const auto& board : boards) {
        widths.nickname = std::max(widths.nickname, DisplayWidth(board->NickName()));
        widths.name = std::max(widths.name, DisplayWidth(board->Name()));
        widths.kind = std::max(widths.kind, KindKeyword(*board).size());
    }
    return widths;
}

std::string Row(const CBBSData& board, std::size_t position, const Columns& widths) {
    const std::string number = std::to_string(position);
    std::string row(widths.position - number.size(), ' ');
    row += number + "  " + PadToWidth(board.NickName(), widths.nickname) + "  " +
           PadToWidth(board.Name(), widths.name) + "  " +
           PadToWidth(KindKeyword(board), widths.kind) + "  " + board.URL();
    row.erase(row.find_last_not_of(' ') + 1);
    return row;
}

}  // namespace

int RunList(const Invocation& invocation, CommandContext& context) {
    std::size_t position = 0;
    if (invocation.json) {
        JsonListWriter list(context.out, '[', ']');
        for (const auto& board : context.boards)
            list.Item(IdentityToJson(*board, ++position));
        list.Close();
        context.out << '\n';
        return kExitOk;
    }
    const Columns widths = Measure(context.boards);
    for (const auto& board : context.boards)
        context.out << Row(*board, ++position, widths) << '\n';
    return kExitOk;
}

}  // namespace tessel::cli
