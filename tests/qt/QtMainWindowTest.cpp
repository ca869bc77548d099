#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <filesystem>

#include "ModalBoxCloser.h"
#include "app/mdlMain.h"
#include "posix/desktop/ProcExecutable.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "qt/DesktopIntegration.h"
#include "qt/QtMainWindow.h"
#include "qt/QtSpinButton.h"
#include "qt/QtWindowFactory.h"
#include "support/FakeAppHost.h"
#include "support/FakeCookieStore.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

using Field = MainWindowView::Field;
using OptionGroup = MainWindowView::OptionGroup;

std::string UrlOf(int board) {
    return "http://bbs.example.jp/b" + std::to_string(board) + "/bbs.cgi";
}

std::string BoardList() {
    const char* kinds[] = {"Ferno-BBS", "Ferno-BBS Quill", "Ferno-BBS Harbor"};
    std::string text;
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        text += "[b" + n + "]\nname=掲示板" + n + "\nnickname=板" + n + "\nurl=" + UrlOf(i) +
                "\nmode=" + kinds[i - 1] + "\n";
    }
    return text;
}

class QtMainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.Write("TesselCustom.ini", BoardList());
        ASSERT_TRUE(app.Main());
        window = windows.Window();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    // Puts board n's cookie in the jar as another visit would have left it.
    void GivenCookie(int n, const std::string& value) {
        ASSERT_TRUE(jar.InternetSetCookie(UrlOf(n), UrlOf(n),
                                          value + "; expires=Sun, 04-Apr-2027 09:07:03 GMT"));
    }

    QRect RowRect(int row) {
        QListWidget* list = window->BoardList();
        return list->visualItemRect(list->item(row));
    }
    void DoubleClickRow(int row) {
        // An item view takes a double-click only on the item its press began on.
        QWidget* viewport = window->BoardList()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, RowRect(row).center());
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowRect(row).center());
    }
    void MarkRow(int row) {
        QListWidget* list = window->BoardList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowRect(row).center());
        QTest::keyClick(list, Qt::Key_Space);
    }
    std::string CookieValueOf(int n) {
        const std::optional<std::string> text = jar.InternetGetCookie(UrlOf(n), "");
        const std::string prefix = UrlOf(n) + "=";
        return text && text->rfind(prefix, 0) == 0 ? text->substr(prefix.size()) : std::string();
    }

    testing::TempDir dir;
    PosixProfileFile profile;
    testing::FixedClock clock{SystemTime{2026, 12, 5, 9, 7, 3, 0}};
    NetscapeCookieJar jar{dir.File("cookies.txt"), clock};
    ProcExecutable executable{dir.File("TesselCustom")};
    testing::RecordingMessages startupMessages;
    testing::FakeShell shell;
    QtWindowFactory windows{shell, QStringLiteral("cookies.txt: test")};
    mdlMain app{StartupServices{profile, jar, clock, executable, startupMessages, windows}};
    QtMainWindow* window = nullptr;
    testing::ModalBoxCloser boxes;
};

TEST_F(QtMainWindowTest, OpensWithTheBoardsUnmarkedAndTheListMarksAllOrNone) {
    EXPECT_EQ(window->windowTitle(), "TesselCustom Ver.1.01");
    EXPECT_EQ(window->SettingFrame()->title(), "(選択されていません)");
    EXPECT_TRUE(window->Option(OptionGroup::kViewOrder, 0)->isChecked());
    EXPECT_TRUE(window->Option(OptionGroup::kNoReadView, 0)->isChecked());
    QListWidget* list = window->BoardList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "板1");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    // Ctrl+A in a text field selects its text; in the list it marks every board, and
    // Ctrl+Shift+A unmarks them. The file menu and the list's context menu show both.
    QLineEdit* name = window->Field(Field::kPostName);
    name->setText("Taro");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(name->selectedText(), "Taro");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list->item(row)->checkState(), Qt::Checked) << row;
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list->item(row)->checkState(), Qt::Unchecked) << row;
    EXPECT_EQ(list->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(list->actions().size(), 2);
    for (QAction* action : list->actions())
        EXPECT_TRUE(window->FileMenu()->actions().contains(action));
}

TEST_F(QtMainWindowTest, AnEmptyListSaysHowToGetOneAndF5ReadsTheEditedList) {
    dir.Write("TesselCustom.ini", "");
    QTest::keyClick(window, Qt::Key_F5);
    QListWidget* list = window->BoardList();
    EXPECT_EQ(list->count(), 0);
    const auto* notice = list->viewport()->findChild<QLabel*>();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains("「掲示板一覧を編集(E)...」"));
    dir.Write("TesselCustom.ini", BoardList());
    QTest::keyClick(window, Qt::Key_F5);
    EXPECT_EQ(list->count(), 3);
    EXPECT_FALSE(notice->isVisible());
}

TEST_F(QtMainWindowTest, ARowIsReadByDoubleClickOrEnterAndAFailureIsToldInABox) {
    DoubleClickRow(0);  // no cookie yet: the message's text is the window logic test's
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "TesselCustom");
    EXPECT_EQ(window->SettingFrame()->title(), "(選択されていません)");

    GivenCookie(2, "太郎,,,,15,1,1,0,44,0");
    DoubleClickRow(1);
    EXPECT_EQ(window->SettingFrame()->title(), "掲示板2の設定");
    EXPECT_EQ(window->Field(Field::kPostName)->text(), "太郎");
    EXPECT_EQ(window->ViewCount()->TextPart()->text(), "15");
    EXPECT_EQ(window->DownloadCount()->TextPart()->text(), "44");
    EXPECT_TRUE(window->Option(OptionGroup::kViewOrder, 1)->isChecked());
    EXPECT_TRUE(window->Option(OptionGroup::kNoReadView, 1)->isChecked());
    EXPECT_EQ(boxes.boxes.size(), 1u);

    // A screenshot for people to look at, in the build folder (the suite runs from its bin).
    const QString artifacts = QApplication::applicationDirPath() + QStringLiteral("/../artifacts");
    std::filesystem::create_directories(artifacts.toStdString());
    const QString path = artifacts + QStringLiteral("/TesselCustom-window.png");
    ASSERT_TRUE(window->grab().save(path));
    EXPECT_GT(std::filesystem::file_size(path.toStdString()), 1000u);

    GivenCookie(1, "Taro,,,,15,1,1,0,44");
    QListWidget* list = window->BoardList();
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(window->SettingFrame()->title(), "掲示板1の設定");
    EXPECT_EQ(window->Field(Field::kPostName)->text(), "Taro");
}

TEST_F(QtMainWindowTest, TheStatusBarIsReadableAndSelectableAndTheStoreMenuChangesIt) {
    window->SetStatusText("理由");
    const QList<QLabel*> labels = window->statusBar()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 3);  // the cookie store, the board list in use, the status
    QStringList texts;
    for (const QLabel* label : labels) {
        EXPECT_TRUE(label->isEnabled());
        EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
        texts << label->toolTip();
    }
    EXPECT_TRUE(
        texts.contains(QString::fromStdString("掲示板一覧: " + dir.File("TesselCustom.ini"))))
        << texts.join('|').toStdString();
    EXPECT_EQ(window->StatusLabel()->text(), "理由");
    // A long path loses its middle and keeps its whole text in the tooltip; a note takes the
    // width it needs from it.
    const QString path =
        "/home/reader/" + QString("very-long-folder/").repeated(12) + "cookies.txt";
    window->SetStoreDescription("cookies.txt: " + path);
    const QString note =
        QString::fromUtf8("掲示板一覧がないため、一覧は空です（探した場所: /etc/xdg）");
    window->SetStatusText(note.toStdString());
    window->statusBar()->layout()->activate();
    QApplication::processEvents();
    EXPECT_EQ(window->StatusLabel()->text(), note);
    bool elided = false;
    for (const QLabel* label : window->statusBar()->findChildren<QLabel*>()) {
        if (label->toolTip() == "cookies.txt: " + path) {
            elided = label->text().contains(QChar(0x2026)) && label->text().endsWith(".txt");
            EXPECT_LE(label->geometry().right(), window->StatusLabel()->geometry().left());
        }
    }
    EXPECT_TRUE(elided);

    // The store menu lists the stores, passes on the choice and the bar describes the new one.
    std::size_t chosen = 99;
    window->SetStoreMenu(
        [] {
            return std::vector<QtMainWindow::StoreMenuItem>{{"cookies.txt", true},
                                                            {"Firefox（default）", false}};
        },
        [&](std::size_t index) {
            chosen = index;
            window->SetStoreDescription("Firefox: /p");
        });
    QMenu* menu = window->StoreMenu();
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    EXPECT_FALSE(menu->actions()[1]->isChecked());
    menu->actions()[1]->trigger();
    EXPECT_EQ(chosen, 1u);
    bool described = false;
    for (QLabel* label : window->statusBar()->findChildren<QLabel*>())
        described = described || label->text() == "Firefox: /p";
    EXPECT_TRUE(described);
}

TEST_F(QtMainWindowTest, UpdateWritesEveryMarkedBoardAndThePasswordIsMaskedAndLimitedToEight) {
    MarkRow(0);
    MarkRow(1);
    MarkRow(2);  // a Harbor board: never written
    window->Field(Field::kPostName)->setFocus();
    QTest::keyClicks(window->Field(Field::kPostName), "Taro");
    QTest::keyClicks(window->ViewCount()->TextPart(), "2");  // the "0" was selected on focus
    QLineEdit* password = window->Field(Field::kPassword);
    password->setFocus();
    QTest::keyClicks(password, "abcdefghij");
    EXPECT_EQ(password->text(), "abcdefgh");
    QTest::keyClick(password, Qt::Key_Return, Qt::ControlModifier);  // presses the update button
    ASSERT_EQ(boxes.boxes.size(), 2u);  // the Harbor board's refusal, then the closing message
    EXPECT_EQ(boxes.boxes[1].text, "2 個の掲示板に設定し、1 個は設定できなかった。");
    EXPECT_EQ(CookieValueOf(1), "Taro,,,abcdefgh,2,0,0,0,0");
    EXPECT_EQ(CookieValueOf(2), "Taro,,,abcdefgh,2,0,0,0,0,0");
    EXPECT_EQ(CookieValueOf(3), "");
    // The limit is for typing: a longer stored password is shown and written back whole.
    GivenCookie(1, "Taro,,,longpassword,15,1,1,0,44");
    DoubleClickRow(0);
    EXPECT_EQ(password->text(), "longpassword");
    QTest::keyClicks(password, "x");
    EXPECT_EQ(password->text(), "longpassword");
    QTest::mouseClick(window->UpdateButton(), Qt::LeftButton);
    EXPECT_EQ(CookieValueOf(1), "Taro,,,longpassword,15,1,1,0,44");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(password->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(QtMainWindowTest, AccessKeysAndClicksMoveTheFocusAndACountIsSelectedForTyping) {
    struct Key {
        Qt::Key key;
        QWidget* expected;
    };
    const Key keys[] = {
        {Qt::Key_N, window->Field(Field::kPostName)},
        {Qt::Key_W, window->Field(Field::kPassword)},
        {Qt::Key_L, window->BoardList()},
        {Qt::Key_V, window->ViewCount()->TextPart()},
        {Qt::Key_D, window->DownloadCount()->TextPart()},
        {Qt::Key_O, window->Option(OptionGroup::kViewOrder, 0)},
    };
    for (const Key& k : keys) {
        SCOPED_TRACE(QKeySequence(k.key).toString().toStdString());
        QTest::keyClick(window, k.key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), k.expected);
    }
    // Clicking into a count selects its number for typing.
    QLineEdit* count = window->ViewCount()->TextPart();
    window->ViewCount()->Logic().Value(25);
    window->Field(Field::kPostName)->setFocus();
    QTest::mouseClick(count, Qt::LeftButton, {}, QPoint(2, count->height() / 2));
    EXPECT_EQ(count->selectedText(), "25");
    QTest::keyClicks(count, "7");
    EXPECT_EQ(window->ViewCount()->Logic().Value(), 7);
}

TEST_F(QtMainWindowTest, F1OpensTheHelpBesideTheExecutableAndExitClosesTheWindow) {
    QTest::keyClick(window, Qt::Key_F1);
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].lpFile, dir.File("ReadMe.txt"));
    EXPECT_TRUE(boxes.boxes.empty());
    shell.accept = false;  // no program to show it with
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{"ヘルプを表示できません \n" +
                                                  QString::fromStdString(dir.File("ReadMe.txt"))});
    for (QAction* item : window->findChildren<QAction*>()) {
        if (item->text().startsWith("終了"))
            item->trigger();
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(app.BBSList(), nullptr);
}

// The desktop entry's name ties the window to the menu entry on Wayland, and Qt's own Japanese
// texts make the fields' standard context menus Japanese like the rest of the window.
TEST(DesktopIntegrationTest, TheWindowJoinsItsDesktopEntryAndSpeaksJapanese) {
    JoinDesktop(*qApp);
    EXPECT_EQ(QGuiApplication::desktopFileName(), "jp.tesselcustom.TesselCustom");
    for (const char* english : {"&Undo", "&Copy", "Select All"}) {
        SCOPED_TRACE(english);
        const QString text = QCoreApplication::translate("QLineEdit", english);
        EXPECT_NE(text, QString::fromLatin1(english));
    }
}

}  // namespace
}  // namespace tessel
