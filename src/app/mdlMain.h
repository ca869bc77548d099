#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/AppPlaces.h"
#include "app/BoardList.h"
#include "app/ExecutableInfo.h"
#include "app/MessageBoxHost.h"
#include "app/UndoJournal.h"
#include "cookies/Clock.h"
#include "cookies/CookieStore.h"
#include "settings/ProfileFile.h"

namespace tessel {

class mdlMain;

// Opens the main window over a loaded registry, modeless and without an owner.
class MainWindowFactory {
  public:
    virtual ~MainWindowFactory() = default;
    virtual void OpenMainWindow(mdlMain& application) = 0;
};

// What start-up needs from the platform.
struct StartupServices {
    ProfileFile& profile;
    CookieStore& store;
    Clock& clock;
    ExecutableInfo& executable;
    MessageBoxHost& messages;
    MainWindowFactory& windows;
};

// Start-up and the board registry. Main loads the board list (beside the executable, named after
// it with ".ini", or where SearchBoardList finds one) and opens the main window, or tells the user
// that the list could not be loaded.
class mdlMain {
  public:
    // boardListOverride replaces the board list beside the executable (the --board-list option).
    explicit mdlMain(StartupServices services,
                     std::optional<std::string> boardListOverride = std::nullopt)
        : services_(services), boardListOverride_(std::move(boardListOverride)) {}

    // Looks for the board list beyond the executable's directory too: the user's and the system's
    // configuration folders. Without this only the list beside the executable is read.
    void SearchBoardList(AppPlaces& places) { places_ = &places; }
    AppPlaces* Places() { return places_; }

    // Where the window's writes keep what undoes them; without one, nothing can be undone.
    void KeepUndoJournal(UndoJournal& journal) { journal_ = &journal; }
    UndoJournal* Journal() { return journal_; }

    // Returns true when the main window was opened.
    bool Main();

    // Fills BBSList from the board list. Returns false when anything failed while loading: an
    // unknown or missing "mode", repeated section names, any failure of the settings model. The
    // boards loaded before the failure stay. A missing or empty list is no failure.
    bool LoadBBSList();

    // Why the last LoadBBSList failed: the board list's path (in path) and what is wrong with it
    // (no problem when nothing more is known).
    const ProfileFailure& LoadFailure() const { return loadFailure_; }

    // Whether the last LoadBBSList found no board list (an empty list, not a failure), and a note
    // naming every place it looked; empty when the list was there.
    bool BoardListMissing() const { return boardListMissing_; }
    std::string LoadNote() const;

    // Loads the board list anew into a fresh registry. On failure the registry loaded before stays,
    // and LoadFailure says why.
    bool ReloadBBSList();

    // Ends the registry's life (the exit command does this after closing the window).
    void ReleaseBBSList() { m_BBSList.reset(); }

    // The registry; null before Main and after ReleaseBBSList.
    BoardList* BBSList() { return m_BBSList.get(); }

    // The board list read: the one found, or when none was, the first place looked.
    std::string BoardListPath() const;
    // Every place the last LoadBBSList looked for the board list, in order.
    const std::vector<std::string>& PlacesLooked() const { return looked_; }
    StartupServices& Services() { return services_; }

  private:
    StartupServices services_;
    std::optional<std::string> boardListOverride_;
    AppPlaces* places_ = nullptr;
    UndoJournal* journal_ = nullptr;
    std::vector<std::string> looked_;
    std::vector<std::string> PlacesToLook() const;
    bool Failed(const std::string& path, ProfileFailure cause);

    std::unique_ptr<BoardList> m_BBSList;
    ProfileFailure loadFailure_;
    bool boardListMissing_ = false;
};

}  // namespace tessel
