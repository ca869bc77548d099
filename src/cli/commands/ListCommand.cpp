#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Diagnostic.h"
#include "cli/commands/CommandTable.h"
#include "cli/commands/Preferences.h"
#include "cli/json/PreferencesJson.h"
#include "cli/terminal/DisplayWidth.h"

namespace tessel::cli {
namespace {

struct Columns {
    std::size_t position = 0, nickname = 0, name = 0, kind = 0;
};

// The columns each board's nickname and name take, measured once for both the table's widths and
// the padding of every row.
struct BoardCells {
    std::size_t nickname = 0, name = 0;
};

Columns Measure(const BoardList& boards, std::vector<BoardCells>& cells) {
    Columns widths;
    widths.position = std::to_string(boards.Count()).size();
    cells.reserve(boards.Count());
    for (const auto& board : boards) {
        const BoardCells measured{DisplayWidth(board->NickName()), DisplayWidth(board->Name())};
        cells.push_back(measured);
        widths.nickname = std::max(widths.nickname, measured.nickname);
        widths.name = std::max(widths.name, measured.name);
        widths.kind = std::max(widths.kind, KindKeyword(*board).size());
    }
    return widths;
}

void AppendPadded(std::string& row, std::string_view text, std::size_t used, std::size_t width) {
    row += text;
    if (used < width)
        row.append(width - used, ' ');
    row += "  ";
}

// Writes the row into row, reusing its storage.
void Row(const CBBSData& board, std::size_t position, const BoardCells& cells,
         const Columns& widths, std::string& row) {
    const std::string number = std::to_string(position);
    row.assign(widths.position - number.size(), ' ');
    row += number;
    row += "  ";
    AppendPadded(row, board.NickName(), cells.nickname, widths.nickname);
    AppendPadded(row, board.Name(), cells.name, widths.name);
    const std::string_view kind = KindKeyword(board);
    AppendPadded(row, kind, kind.size(), widths.kind);
    row += board.URL();
    row.erase(row.find_last_not_of(' ') + 1);
    row += '\n';
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
    std::vector<BoardCells> cells;
    const Columns widths = Measure(context.boards, cells);
    // Rows go out in blocks: one stream write per row costs more than the row itself.
    constexpr std::size_t kBlock = 64 * 1024;
    std::string row, block;
    for (const auto& board : context.boards) {
        Row(*board, position + 1, cells[position], widths, row);
        ++position;
        block += row;
        if (block.size() >= kBlock) {
            context.out << block;
            block.clear();
        }
    }
    context.out << block;
    return kExitOk;
}

}  // namespace tessel::cli
