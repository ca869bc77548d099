#pragma once

#include <cstdint>
#include <vector>

#include "app/BoardWriteBatch.h"
#include "app/DocumentShell.h"
#include "app/MainWindowView.h"
#include "app/mdlMain.h"

namespace tessel {

// The main window's logic: lists the boards, shows one board's preferences read from its cookie
// on a double-click, and writes the fields as the cookie of every marked board. It owns no board
// data: it reads and writes the registry's boards in place.
class frmMain {
  public:
    frmMain(MainWindowView& view, mdlMain& application, DocumentShell& shell)
        : view_(view), application_(application), shell_(shell) {}

    // Event handlers, called by the toolkit.
    void Form_Load() { InitializeForm(); }
    void lstBBSList_DblClick();
    void cmdUpdate_Click() { UpdateSettings(); }
    // Puts back the cookies of the last write (of the window or tessel), telling what was not.
    void mnuFileUndo_Click();
    void mnuFileExit_Click();
    void mnuHelpHelp_Click();
    void mnuHelpVerInfo_Click();
    // Reads the board list again (after it was made or edited); a list that cannot be loaded is
    // told in a box and the boards shown stay.
    void ReloadBoardList();

  private:
    void InitializeForm();
    void FillBBSList();
    void LoadSettings(std::int32_t position);
    void UpdateSettings();
    // The fields as the preferences every marked board gets.
    PreferenceChanges FieldValues();
    void ShowMessage(const std::string& text);
    CBBSData* Board(std::int32_t position);
    // Tells in the list area how to get a board list while there is no board to show.
    void ShowListNotice();

    MainWindowView& view_;
    mdlMain& application_;
    DocumentShell& shell_;
};

}  // namespace tessel
