#pragma once

#include <memory>
#include <string>

#include "app/BoardListEditing.h"
#include "app/DocumentShell.h"
#include "app/frmMain.h"
#include "app/mdlApp.h"
#include "app/mdlExecuteLite.h"
#include "app/mdlMain.h"
#include "win32/gui/Win32MainWindow.h"

namespace tessel {

// Opens the Win32 main window with its logic over the loaded registry; keeps both alive until the
// factory goes (at the end of the program, after the window was closed).
class Win32WindowFactory : public MainWindowFactory {
  public:
    Win32WindowFactory(DocumentShell& shell, std::string storeDescription)
        : shell_(shell), storeDescription_(std::move(storeDescription)) {}

    void OpenMainWindow(mdlMain& application) override {
        window_ = std::make_unique<Win32MainWindow>(storeDescription_);
        logic_ = std::make_unique<frmMain>(*window_, application, shell_);
        window_->Attach(*logic_);
        window_->SetEditBoardList([this, &application] { EditBoardList(application); });
        logic_->Form_Load();
        ShowWindow(window_->Window(), SW_SHOWDEFAULT);
        UpdateWindow(window_->Window());
    }

    Win32MainWindow* Window() const { return window_.get(); }

  private:
    // A list that is not there yet is opened in Notepad, which offers to make it; one that is
    // there opens in whatever edits it.
    void EditBoardList(mdlMain& application) {
        BoardListEdit result;
        if (application.BoardListMissing()) {
            const std::string path = application.BoardListPath();
            result.opened =
                mdlExecuteLite::ExecuteLite(shell_, "notepad.exe", "\"" + path + "\"", "open") != 0;
            result.text =
                "掲示板一覧 " + path +
                (result.opened ? " をメモ帳で開きました。保存後、「掲示板一覧を読み直す」(F5) "
                                 "で読み込みます"
                               : " をメモ帳で開けませんでした。");
        } else {
            result = tessel::EditBoardList(application, shell_);
        }
        if (result.opened)
            window_->SetStatusText(result.text);
        else
            window_->ShowMessage(result.text,
                                 mdlApp::GetMessageCaption(application.Services().executable),
                                 MessageIcon::kStop);
    }

    DocumentShell& shell_;
    std::string storeDescription_;
    std::unique_ptr<Win32MainWindow> window_;
    std::unique_ptr<frmMain> logic_;
};

// Message boxes before the main window exists (the start-up failure).
class Win32MessageBox : public MessageBoxHost {
  public:
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
};

}  // namespace tessel
