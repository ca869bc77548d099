#include "app/frmMain.h"

#include <utility>

#include "app/HelpDocument.h"
#include "app/Messages.h"
#include "app/mdlApp.h"
#include "app/mdlExecuteLite.h"

namespace tessel {
namespace {

using Field = MainWindowView::Field;
using OptionGroup = MainWindowView::OptionGroup;

// A preference that has a button in its group: only 0 and 1 do.
bool HasButton(std::int32_t value) {
    return value == 0 || value == 1;
}

// Shows a count in its spin button. A count outside the button's bounds (a cookie may hold any
// number) is shown as the nearest bound, so that what a later update writes is what is shown;
// the returned note says so, and is empty when the count was shown as it is.
std::string ShowCount(uSpinButton& spin, std::int32_t count, const std::string& what) {
    const std::int32_t lowest = spin.Min();
    const std::int32_t highest = spin.Max();
    if (lowest > highest || (count >= lowest && count <= highest)) {
        spin.Value(count);
        return {};
    }
    const std::int32_t shown = count < lowest ? lowest : highest;
    spin.Value(shown);
    return what + "「" + std::to_string(count) + "」は " + std::to_string(lowest) + "〜" +
           std::to_string(highest) + " の範囲にないため、" + std::to_string(shown) + " にしました";
}

}  // namespace

void frmMain::InitializeForm() {
    view_.SetWindowCaption(mdlApp::GetAppTitle(application_.Services().executable));
    view_.SetFrameCaption(messages::kNothingSelected);
    FillBBSList();
    view_.SetCurrentRow(-1);
    view_.SetStatusText(application_.LoadNote());
}

void frmMain::FillBBSList() {
    view_.ClearRows();
    if (BoardList* boards = application_.BBSList()) {
        for (const auto& board : *boards)
            view_.AddRow(board->NickName());
    }
    ShowListNotice();
}

void frmMain::ShowListNotice() {
    view_.ShowListNotice(view_.RowCount() == 0 ? messages::kNoBoards : "");
}

void frmMain::ReloadBoardList() {
    if (!application_.ReloadBBSList()) {
        ShowMessage(messages::WithReason(messages::kLoadFailed, application_.LoadFailure()));
        return;
    }
    FillBBSList();
    view_.SetCurrentRow(-1);
    view_.SetStatusText(application_.LoadNote());
}

CBBSData* frmMain::Board(std::int32_t position) {
    BoardList* boards = application_.BBSList();
    if (boards == nullptr || position < 1 || static_cast<std::size_t>(position) > boards->Count()) {
        return nullptr;
    }
    return boards->Item(static_cast<std::size_t>(position)).get();
}

void frmMain::lstBBSList_DblClick() {
    // A double-click on no row (an empty list, or space below the rows) names no board.
    const std::int32_t row = view_.CurrentRow();
    if (row >= 0)
        LoadSettings(row + 1);
}

void frmMain::LoadSettings(std::int32_t position) {
    CBBSData* board = Board(position);
    if (board == nullptr)
        return;
    if (!board->GetCookie()) {
        ShowMessage(messages::WithReason(board->Name() + messages::kCookieReadFailed,
                                         board->LastFailure().reason));
        return;
    }
    view_.SetFrameCaption(board->Name() + messages::kSettingsOf);
    view_.SetText(Field::kPostName, board->PostName());
    view_.SetText(Field::kMail, board->Mail());
    view_.SetText(Field::kPassword, board->Password());
    view_.SetText(Field::kHomePage, board->HomePage());
    std::string note =
        ShowCount(view_.ViewCountSpin(), board->ViewCount(), "1ページあたりの表示記事数");
    const std::string downloadNote = ShowCount(view_.DownloadCountSpin(), board->DownloadCount(),
                                               "一度にダウンロードするログの記事数");
    if (!note.empty() && !downloadNote.empty())
        note += "。";
    note += downloadNote;
    view_.SetStatusText(note.empty() ? note : board->Name() + "の" + note);
    // A value without a button (a cookie may hold any number) leaves its group as it was.
    if (HasButton(board->ViewOrder()))
        view_.SelectOption(OptionGroup::kViewOrder, board->ViewOrder());
    if (HasButton(board->NoReadView())) {
        view_.SelectOption(OptionGroup::kNoReadView, board->NoReadView());
    }
}

void frmMain::UpdateSettings() {
    // The marked boards are written as one group, so that a store can write them in one go; the
    // results are told per board, in row order, once the group is stored.
    struct Result {
        CBBSData* board;
        bool written;
        std::string reason;
    };
    CookieStore& store = application_.Services().store;
    std::vector<Result> results;
    store.BeginWrites();
    const std::int32_t rows = view_.RowCount();
    for (std::int32_t row = 0; row < rows; ++row) {
        if (!view_.IsRowMarked(row))
            continue;
        if (CBBSData* board = Board(row + 1)) {
            const bool written = ApplySettings(row + 1);
            results.push_back({board, written, written ? "" : board->LastFailure().reason});
        }
    }
    const bool stored = store.CommitWrites();
    for (const Result& result : results) {
        if (!result.written || !stored) {
            ShowMessage(
                messages::WithReason(result.board->Name() + messages::kCookieWriteFailed,
                                     result.written ? store.LastFailure().reason : result.reason));
        }
    }
    ShowMessage(messages::kSettingsDone);
}

bool frmMain::ApplySettings(std::int32_t position) {
    CBBSData* board = Board(position);
    if (board == nullptr)
        return false;
    // The window shows neither unread marker, so they come from the board's own cookie, read
    // right before it is written: the reader's place on the board is kept. A board without a
    // cookie is written from what it holds; one whose cookie is there but cannot be read is left
    // alone, as writing over it would lose what it holds.
    if (!board->GetCookie() && board->LastFailure().kind != CookieFailureKind::kNoCookie)
        return false;
    board->PostName(view_.Text(Field::kPostName));
    board->Mail(view_.Text(Field::kMail));
    board->Password(view_.Text(Field::kPassword));
    board->HomePage(view_.Text(Field::kHomePage));
    board->ViewCount(view_.ViewCountSpin().Value());
    board->DownloadCount(view_.DownloadCountSpin().Value());
    board->ViewOrder(view_.IsOptionSelected(OptionGroup::kViewOrder, 0) ? 0 : 1);
    board->NoReadView(view_.IsOptionSelected(OptionGroup::kNoReadView, 0) ? 0 : 1);
    return board->SetCookie();
}

void frmMain::mnuFileExit_Click() {
    view_.Close();
    application_.ReleaseBBSList();
}

void frmMain::mnuHelpHelp_Click() {
    const std::string readme = HelpDocumentPath(application_);
    if (mdlExecuteLite::ExecuteLite(shell_, readme, std::nullopt, "open") == 0) {
        ShowMessage(messages::WithReason(messages::kHelpFailed, readme));
    }
}

void frmMain::mnuHelpVerInfo_Click() {
    mdlApp::ShowVersionInfo(application_.Services().executable, view_);
}

void frmMain::ShowMessage(const std::string& text) {
    view_.ShowMessage(text, mdlApp::GetMessageCaption(application_.Services().executable),
                      MessageIcon::kNone);
}

}  // namespace tessel
