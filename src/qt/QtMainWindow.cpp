#include "qt/QtMainWindow.h"

#include <QAction>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <algorithm>
#include <vector>

#include "app/frmMain.h"
#include "qt/ElidedLabel.h"
#include "qt/MainWindowLayout.h"
#include "qt/QtSpinButton.h"
#include "qt/Twips.h"
#include "qt/TypingLimit.h"

namespace tessel {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

void Place(QWidget* widget, const layout::Place& place) {
    widget->setGeometry(Twips::For(widget).Rect(place.left, place.top, place.width, place.height));
}

// The width a text takes in a widget's font, its access-key marker aside.
int TextWidth(const QWidget* widget, QString text) {
    return widget->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&'))) + 4;
}

// Makes the widget's font smaller until the text takes at most width pixels (fonts wider than the
// layout was drawn for would otherwise cut it).
void ShrinkToFit(QWidget* widget, const QString& text, int width) {
    QFont font = widget->font();
    while (TextWidth(widget, text) > width && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        widget->setFont(font);
    }
}

// Grows a box to at least its font's line height, evenly above and below, and to the left (for a
// right-aligned text) as far as its container allows; so that no glyph is cut on any font.
void MakeRoom(QWidget* widget, const QString& text, bool growLeft) {
    QRect box = widget->geometry();
    const int height = std::max(box.height(), widget->fontMetrics().height());
    box.setTop(box.top() - (height - box.height()) / 2);
    box.setHeight(height);
    const int needed = TextWidth(widget, text);
    if (growLeft && needed > box.width())
        box.setLeft(std::max(2, box.right() + 1 - needed));
    if (!growLeft)
        box.setRight(std::max(box.right(), widget->parentWidget()->width() - 4));
    widget->setGeometry(box);
    ShrinkToFit(widget, text, box.width() - (growLeft ? 0 : 20));  // 20: an option's indicator
}

// A label right-aligned against its field.
QLabel* FieldLabel(const char* text, const layout::Place& place, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(label, place);
    MakeRoom(label, label->text(), true);
    return label;
}

QRadioButton* OptionButton(const char* text, const layout::Place& place, QGroupBox* group) {
    auto* button = new QRadioButton(QString::fromUtf8(text), group);
    Place(button, place);
    MakeRoom(button, button->text(), false);
    return button;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kStop:
            return QMessageBox::Critical;
        case MessageIcon::kInformation:
            return QMessageBox::Information;
        case MessageIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtMainWindow::QtMainWindow(const QString& storeDescription) {
    setCentralWidget(new QWidget(this));
    BuildControls();
    BuildMenus();
    SetFocusOrder();
    const Twips twips = Twips::For(this);
    centralWidget()->setFixedSize(twips.ToPixels(layout::kClientWidth),
                                  twips.ToPixels(layout::kClientHeight));
    BuildStatusBar(storeDescription);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QtMainWindow::~QtMainWindow() = default;

void QtMainWindow::Attach(frmMain& logic) {
    logic_ = &logic;
    connect(lstBBSList_, &QListWidget::itemDoubleClicked, this,
            [this] { logic_->lstBBSList_DblClick(); });
    connect(cmdUpdate_, &QPushButton::clicked, this, [this] { logic_->cmdUpdate_Click(); });
    logic.Form_Load();
}

// Readable and selectable, so that a path or a reason can be copied from it; each gives way in
// its middle and holds its whole text in its tooltip.
void QtMainWindow::BuildStatusBar(const QString& storeDescription) {
    store_ = new ElidedLabel(this);
    store_->SetFullText(storeDescription);
    status_ = new ElidedLabel(this);
    ShareStatusBar();
    statusBar()->addWidget(store_);
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);
}

QLabel* QtMainWindow::StatusLabel() const {
    return status_;
}

void QtMainWindow::SetBoardListName(const QString& text) {
    if (listName_ == nullptr) {
        listName_ = new ElidedLabel(this);
        statusBar()->addPermanentWidget(listName_);
    }
    listName_->SetFullText(text);
    ShareStatusBar();
}

// The status bar is as wide as the window: a note (a missing list, a count put in range, a
// reason) matters more than the names beside it and takes the width it needs, up to most of the
// bar; the store's and the list's names share the rest.
void QtMainWindow::ShareStatusBar() {
    const int width = centralWidget()->width() - 24;  // the bar's margins and spacing
    std::vector<ElidedLabel*> names{store_};
    if (listName_ != nullptr)
        names.push_back(listName_);
    const int least = fontMetrics().horizontalAdvance(QStringLiteral("cookies…txt"));
    const int note = std::min(status_->FullWidth(), width - least * static_cast<int>(names.size()));
    // The shorter name first: what it leaves of its share goes to the other.
    std::sort(names.begin(), names.end(),
              [](ElidedLabel* a, ElidedLabel* b) { return a->FullWidth() < b->FullWidth(); });
    int rest = width - note;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int share = rest / static_cast<int>(names.size() - i);
        const int given = std::min(names[i]->FullWidth(), share);
        names[i]->SetRoom(share, false);
        rest -= given;
    }
    status_->SetRoom(std::max(note, rest), note > 0);
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The empty list's note covers the list's area whatever its size.
    if (watched == lstBBSList_->viewport() && event->type() == QEvent::Resize &&
        listNotice_ != nullptr) {
        listNotice_->resize(lstBBSList_->viewport()->size());
    }
    // Enter reads the current board as a double-click does.
    if (watched == lstBBSList_ && event->type() == QEvent::KeyPress && logic_ != nullptr) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            logic_->lstBBSList_DblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void QtMainWindow::MarkAllRows(bool marked) {
    for (int row = 0; row < lstBBSList_->count(); ++row)
        lstBBSList_->item(row)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

// Marking all boards or none: in the list's context menu and the file menu. Ctrl+A in a text field
// keeps selecting its text there.
void QtMainWindow::BuildListActions() {
    markAll_ = new QAction(QStringLiteral("すべてに印を付ける(&A)"), this);
    markAll_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(markAll_, &QAction::triggered, this, [this] { MarkAllRows(true); });
    markNone_ = new QAction(QStringLiteral("すべての印を外す(&N)"), this);
    markNone_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    connect(markNone_, &QAction::triggered, this, [this] { MarkAllRows(false); });
    lstBBSList_->addActions({markAll_, markNone_});
    lstBBSList_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void QtMainWindow::BuildControls() {
    QWidget* client = centralWidget();
    lblBBSList_ = FieldLabel("掲示板一覧(&L):", layout::lblBBSList, client);
    lblBBSList_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lstBBSList_ = new QListWidget(client);
    lstBBSList_->setUniformItemSizes(true);
    lstBBSList_->setSelectionMode(QAbstractItemView::SingleSelection);
    Place(lstBBSList_, layout::lstBBSList);
    lblBBSList_->setBuddy(lstBBSList_);
    lstBBSList_->installEventFilter(this);
    BuildListActions();

    fraSetting_ = new QGroupBox(QStringLiteral("設定"), client);
    Place(fraSetting_, layout::fraSetting);
    BuildPreferenceFields();
    BuildOptionGroups();
    cmdUpdate_ = new QPushButton(QStringLiteral("クッキー反映(&U)"), fraSetting_);
    Place(cmdUpdate_, layout::cmdUpdate);
    // Ctrl+Enter presses it from any field.
    auto* update = new QAction(this);
    update->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(update, &QAction::triggered, cmdUpdate_, &QPushButton::click);
    addAction(update);
}

void QtMainWindow::BuildPreferenceFields() {
    struct FieldPlace {
        const char* label;
        layout::Place labelPlace, fieldPlace;
    };
    const FieldPlace places[] = {
        {"名前(&N):", layout::lblPostName, layout::txtPostName},
        {"メール(&M):", layout::lblMail, layout::txtMail},
        {"パスワード(&W):", layout::lblPassWord, layout::txtPassword},
        {"自分のホームページ(&H):", layout::lblHomePage, layout::txtHomePage},
    };
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        QLabel* label = FieldLabel(places[i].label, places[i].labelPlace, fraSetting_);
        fields_[i] = new QLineEdit(fraSetting_);
        Place(fields_[i], places[i].fieldPlace);
        label->setBuddy(fields_[i]);
    }
    // Mail and home page are typed in Latin letters; the password takes no input method at all.
    Field(Field::kMail)->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    Field(Field::kHomePage)->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhUrlCharactersOnly);
    QLineEdit* password = Field(Field::kPassword);
    password->setEchoMode(QLineEdit::Password);
    password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    passwordLimit_ = new TypingLimit(password, 8);
    password->setValidator(passwordLimit_);
    password->setAttribute(Qt::WA_InputMethodEnabled, false);

    uspnViewCount_ = new QtSpinButton(fraSetting_);
    Place(uspnViewCount_, layout::uspnViewCount);
    FieldLabel("1ページあたりの表示記事数(&V):", layout::lblViewCount, fraSetting_)
        ->setBuddy(uspnViewCount_);
    uspnDownloadCount_ = new QtSpinButton(fraSetting_);
    Place(uspnDownloadCount_, layout::uspnDownloadCount);
    FieldLabel("一度にダウンロードするログの記事数(&D):", layout::lblDownloadCount, fraSetting_)
        ->setBuddy(uspnDownloadCount_);
}

void QtMainWindow::BuildOptionGroups() {
    fraViewOrder_ = new QGroupBox(QStringLiteral("表示順(&O)"), fraSetting_);
    Place(fraViewOrder_, layout::fraViewOrder);
    optViewOrder_[0] = OptionButton("新しい → 古い(&1)", layout::optViewOrder0, fraViewOrder_);
    optViewOrder_[1] = OptionButton("古い → 新しい(&2)", layout::optViewOrder1, fraViewOrder_);

    fraNoReadView_ = new QGroupBox(QStringLiteral("未読読み(&R)"), fraSetting_);
    Place(fraNoReadView_, layout::fraNoReadView);
    optNoReadView_[1] = OptionButton("設定する(&3)", layout::optNoReadView1, fraNoReadView_);
    optNoReadView_[0] = OptionButton("設定しない(&4)", layout::optNoReadView0, fraNoReadView_);

    optViewOrder_[0]->setChecked(true);
    optNoReadView_[0]->setChecked(true);
}

void QtMainWindow::BuildMenus() {
    QMenu* file = file_ = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    reload_ = file->addAction(QStringLiteral("掲示板一覧を読み直す(&R)"), QKeySequence(Qt::Key_F5),
                              this, [this] { logic_->ReloadBoardList(); });
    file->addSeparator();
    file->addAction(QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z), this,
                    [this] { logic_->mnuFileUndo_Click(); });
    file->addSeparator();
    file->addActions({markAll_, markNone_});
    file->addSeparator();
    // "Alt+F4" only names the system's close key; the item has no shortcut of its own.
    file->addAction(QStringLiteral("終了(&X)\tAlt+F4"), this,
                    [this] { logic_->mnuFileExit_Click(); });
    mnuStore_ = menuBar()->addMenu(QStringLiteral("クッキーの保存先(&S)"));
    mnuStore_->menuAction()->setVisible(false);
    connect(mnuStore_, &QMenu::aboutToShow, this, [this] { FillStoreMenu(); });
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->addAction(QStringLiteral("ヘルプ(&H)..."), QKeySequence(Qt::Key_F1), this,
                    [this] { logic_->mnuHelpHelp_Click(); });
    help->addSeparator();
    help->addAction(QStringLiteral("バージョン情報(&A)..."), this,
                    [this] { logic_->mnuHelpVerInfo_Click(); });
}

void QtMainWindow::SetStoreMenu(StoreMenuSource source, std::function<void(std::size_t)> choose) {
    storeSource_ = std::move(source);
    chooseStore_ = std::move(choose);
    mnuStore_->menuAction()->setVisible(true);
}

void QtMainWindow::FillStoreMenu() {
    mnuStore_->clear();
    if (!storeSource_)
        return;
    const std::vector<StoreMenuItem> items = storeSource_();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].separatorBefore)
            mnuStore_->addSeparator();
        QAction* action = mnuStore_->addAction(items[i].text, this, [this, i] { chooseStore_(i); });
        action->setCheckable(true);
        action->setChecked(items[i].current);
        action->setEnabled(items[i].enabled);
    }
}

void QtMainWindow::SetStoreDescription(const QString& text) {
    store_->SetFullText(text);
    ShareStatusBar();
}

void QtMainWindow::SetFocusOrder() {
    QWidget* order[] = {lstBBSList_,      fields_[0],        fields_[1],         fields_[2],
                        fields_[3],       uspnViewCount_,    uspnDownloadCount_, optViewOrder_[0],
                        optViewOrder_[1], optNoReadView_[1], optNoReadView_[0],  cmdUpdate_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

QLineEdit* QtMainWindow::Field(MainWindowView::Field field) const {
    return fields_[static_cast<std::size_t>(field)];
}

QRadioButton* QtMainWindow::Option(OptionGroup group, int index) const {
    return (group == OptionGroup::kViewOrder ? optViewOrder_ : optNoReadView_)[index == 0 ? 0 : 1];
}

void QtMainWindow::ShowMessage(const std::string& text, const std::string& caption,
                               MessageIcon icon) {
    if (messageHook_) {
        messageHook_(text, caption, icon);
        return;
    }
    QMessageBox box(BoxIcon(icon), Q(caption), Q(text), QMessageBox::Ok, this);
    box.exec();
}

void QtMainWindow::SetWindowCaption(const std::string& text) {
    setWindowTitle(Q(text));
}
void QtMainWindow::SetFrameCaption(const std::string& text) {
    fraSetting_->setTitle(Q(text));
}
void QtMainWindow::SetStatusText(const std::string& text) {
    status_->SetFullText(Q(text));
    ShareStatusBar();
}

// Over the empty list's area, in the list's own font and a quieter colour.
void QtMainWindow::ShowListNotice(const std::string& text) {
    if (listNotice_ == nullptr) {
        listNotice_ = new QLabel(lstBBSList_->viewport());
        lstBBSList_->viewport()->installEventFilter(this);
        listNotice_->setWordWrap(true);
        listNotice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        listNotice_->setForegroundRole(QPalette::PlaceholderText);
        listNotice_->setMargin(6);
    }
    listNotice_->setText(Q(text));
    listNotice_->resize(lstBBSList_->viewport()->size());
    listNotice_->setVisible(!text.empty());
}
void QtMainWindow::ClearRows() {
    lstBBSList_->clear();
}

void QtMainWindow::AddRow(const std::string& text) {
    auto* item = new QListWidgetItem(Q(text), lstBBSList_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
}

std::int32_t QtMainWindow::RowCount() {
    return lstBBSList_->count();
}

bool QtMainWindow::IsRowMarked(std::int32_t row) {
    const QListWidgetItem* item = lstBBSList_->item(row);
    return item != nullptr && item->checkState() == Qt::Checked;
}

std::int32_t QtMainWindow::CurrentRow() {
    return lstBBSList_->currentRow();
}
void QtMainWindow::SetCurrentRow(std::int32_t row) {
    lstBBSList_->setCurrentRow(row);
}

std::string QtMainWindow::Text(MainWindowView::Field field) {
    return Field(field)->text().toStdString();
}

void QtMainWindow::SetText(MainWindowView::Field field, const std::string& text) {
    if (field == Field::kPassword)
        passwordLimit_->SetText(Q(text));  // the limit is for typing only
    else
        Field(field)->setText(Q(text));
}

uSpinButton& QtMainWindow::ViewCountSpin() {
    return uspnViewCount_->Logic();
}
uSpinButton& QtMainWindow::DownloadCountSpin() {
    return uspnDownloadCount_->Logic();
}

bool QtMainWindow::IsOptionSelected(OptionGroup group, std::int32_t index) {
    return (index == 0 || index == 1) && Option(group, index)->isChecked();
}

void QtMainWindow::SelectOption(OptionGroup group, std::int32_t index) {
    if (index == 0 || index == 1)
        Option(group, index)->setChecked(true);
}

void QtMainWindow::Close() {
    close();
}

}  // namespace tessel
