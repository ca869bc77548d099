#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/MainWindowView.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace tessel {

class ElidedLabel;
class QtSpinButton;
class TypingLimit;
class frmMain;

// The main window on Qt: the controls of the board list and the preference fields at their
// places in twips, access keys, focus order, menus and message boxes. The logic lives in frmMain;
// this class only turns widget events into its handlers and its requests into widget calls.
class QtMainWindow : public QMainWindow, public MainWindowView {
    Q_OBJECT

  public:
    explicit QtMainWindow(const QString& storeDescription);
    ~QtMainWindow() override;

    // Connects the window's events to its logic; call once, before the window is shown.
    void Attach(frmMain& logic);

    // Replaces the message box (for tests, which cannot click a modal box).
    using MessageHook =
        std::function<void(const std::string& text, const std::string& caption, MessageIcon icon)>;
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

    QListWidget* BoardList() const { return lstBBSList_; }
    QLineEdit* Field(Field field) const;
    QtSpinButton* ViewCount() const { return uspnViewCount_; }
    QtSpinButton* DownloadCount() const { return uspnDownloadCount_; }
    QRadioButton* Option(OptionGroup group, int index) const;
    QPushButton* UpdateButton() const { return cmdUpdate_; }
    QGroupBox* SettingFrame() const { return fraSetting_; }
    QLabel* StatusLabel() const;
    // The file menu, for commands joined from outside (they go above its exit command).
    QMenu* FileMenu() const { return file_; }

    // Marks every row of the board list, or none.
    void MarkAllRows(bool marked);
    // The file menu's command that reads the board list again (F5).
    QAction* ReloadAction() const { return reload_; }
    // The status bar's name of the board list in use.
    void SetBoardListName(const QString& text);

    // The menu of cookie stores, filled from source each time it opens; choose gets the index of
    // the item picked. Without it the menu stays hidden.
    struct StoreMenuItem {
        QString text;
        bool current = false;
        bool enabled = true;
        bool separatorBefore = false;
    };
    using StoreMenuSource = std::function<std::vector<StoreMenuItem>()>;
    void SetStoreMenu(StoreMenuSource source, std::function<void(std::size_t)> choose);
    QMenu* StoreMenu() const { return mnuStore_; }
    // The status bar's note of the store in use.
    void SetStoreDescription(const QString& text);

    // MainWindowView
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void SetWindowCaption(const std::string& text) override;
    void SetFrameCaption(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void ClearRows() override;
    void AddRow(const std::string& text) override;
    std::int32_t RowCount() override;
    bool IsRowMarked(std::int32_t row) override;
    std::int32_t CurrentRow() override;
    void SetCurrentRow(std::int32_t row) override;
    void ShowListNotice(const std::string& text) override;
    std::string Text(MainWindowView::Field field) override;
    void SetText(MainWindowView::Field field, const std::string& text) override;
    uSpinButton& ViewCountSpin() override;
    uSpinButton& DownloadCountSpin() override;
    bool IsOptionSelected(OptionGroup group, std::int32_t index) override;
    void SelectOption(OptionGroup group, std::int32_t index) override;
    void Close() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildListActions();
    void BuildStatusBar(const QString& storeDescription);
    void BuildPreferenceFields();
    void BuildOptionGroups();
    void BuildMenus();
    void FillStoreMenu();
    void SetFocusOrder();
    void ShareStatusBar();

    QLabel* lblBBSList_ = nullptr;
    QListWidget* lstBBSList_ = nullptr;
    QGroupBox* fraSetting_ = nullptr;
    std::array<QLineEdit*, 4> fields_{};
    QtSpinButton* uspnViewCount_ = nullptr;
    QtSpinButton* uspnDownloadCount_ = nullptr;
    QGroupBox* fraViewOrder_ = nullptr;
    QGroupBox* fraNoReadView_ = nullptr;
    std::array<QRadioButton*, 2> optViewOrder_{};
    std::array<QRadioButton*, 2> optNoReadView_{};
    QPushButton* cmdUpdate_ = nullptr;
    ElidedLabel* status_ = nullptr;
    ElidedLabel* store_ = nullptr;
    ElidedLabel* listName_ = nullptr;
    QLabel* listNotice_ = nullptr;
    QAction* markAll_ = nullptr;
    QAction* markNone_ = nullptr;
    QAction* reload_ = nullptr;
    QMenu* mnuStore_ = nullptr;
    StoreMenuSource storeSource_;
    std::function<void(std::size_t)> chooseStore_;
    QMenu* file_ = nullptr;
    TypingLimit* passwordLimit_ = nullptr;
    frmMain* logic_ = nullptr;
    MessageHook messageHook_;
};

}  // namespace tessel
