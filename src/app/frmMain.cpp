#include "app/frmMain.h"

#include <utility>

#include "app/BatchUndo.h"
#include "app/FailureText.h"
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
                                         FailureText(board->LastFailure())));
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
    BoardList* boards = application_.BBSList();
    if (boards == nullptr)
        return;
    std::vector<BoardUpdate> updates;
    const std::int32_t rows = view_.RowCount();
    for (std::int32_t row = 0; row < rows; ++row) {
        if (view_.IsRowMarked(row) && Board(row + 1) != nullptr)
            updates.push_back({static_cast<std::size_t>(row + 1), FieldValues()});
    }
    NoProgress progress;
    const BatchResult result = WriteBoards(*boards, application_.Services().store, updates,
                                           BatchRules{}, progress, application_.Journal());
    // The window tells failures and the closing message; a board written needs no box of its own.
    for (const BatchMessage& message : DescribeBatch(*boards, result, WindowBatchWords())) {
        if (message.kind != BatchMessage::Kind::kWritten)
            ShowMessage(message.text);
    }
}

PreferenceChanges frmMain::FieldValues() {
    PreferenceChanges values;
    values.postName = view_.Text(Field::kPostName);
    values.mail = view_.Text(Field::kMail);
    values.password = view_.Text(Field::kPassword);
    values.homePage = view_.Text(Field::kHomePage);
    values.viewCount = view_.ViewCountSpin().Value();
    values.downloadCount = view_.DownloadCountSpin().Value();
    values.viewOrder = view_.IsOptionSelected(OptionGroup::kViewOrder, 0) ? 0 : 1;
    values.noReadView = view_.IsOptionSelected(OptionGroup::kNoReadView, 0) ? 0 : 1;
    return values;
}

void frmMain::mnuFileUndo_Click() {
    UndoJournal* journal = application_.Journal();
    if (journal == nullptr) {
        ShowMessage(messages::kCannotUndo);
        return;
    }
    // As after a write, a box for what was not put back and the closing message.
    for (const BatchMessage& message :
         DescribeUndo(UndoLastBatch(*journal, application_.Services().store), WindowBatchWords())) {
        if (message.kind != BatchMessage::Kind::kWritten)
            ShowMessage(message.text);
    }
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
