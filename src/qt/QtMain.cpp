// TesselCustom's window on Linux. Starts in mdlMain::Main, which loads the board list and opens the
// window or says that the list could not be loaded; the Qt event loop then runs while the window
// is open.
#include <QApplication>
#include <QDesktopServices>
#include <QFont>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/FailureText.h"
#include "app/mdlApp.h"
#include "app/mdlMain.h"
#include "cookies/ChosenCookieStore.h"
#include "posix/desktop/PosixAppPlaces.h"
#include "posix/desktop/ProcExecutable.h"
#include "posix/desktop/SystemClock.h"
#include "posix/desktop/XdgOpenShell.h"
#include "posix/files/PosixJournalFile.h"
#include "posix/profile/PosixProfileFile.h"
#include "posix/stores/CookieStoreChooser.h"
#include "posix/stores/PlatformOptions.h"
#include "posix/stores/StartingStore.h"
#include "qt/DesktopIntegration.h"
#include "qt/QtMessageBox.h"
#include "qt/QtWindowFactory.h"

namespace {

constexpr const char* kUsage =
    "使い方: TesselCustom [--board-list FILE] "
    "[--cookie-store jar[:PATH]|firefox[:PROFILE_DIR]|chrome|chromium|brave|edge|vivaldi|"
    "opera[:USER_DATA_DIR]] "
    "[--cookie-charset cp932|utf-8] [--help] [--version]\n";

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt aborts without a display; tell the user plainly instead.
bool HasDisplay() {
    return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// With TESSEL_REPORT_STARTUP set, reports once the window has been painted and quits: the start-up
// benchmark's measuring point.
void ReportStartupWhenPainted(QWidget* window) {
    if (window == nullptr || !Set("TESSEL_REPORT_STARTUP"))
        return;
    QTimer::singleShot(0, window, [window] {
        window->repaint();
        std::printf("painted rss_kb=%ld\n", ResidentKilobytes());
        std::fflush(stdout);
        QApplication::quit();
    });
}

enum class Parsed { kRun, kDone, kUsageError };

// Reads the options. Before Qt has seen them (qtOptionsLeft), an option that is not ours may be
// one of Qt's own (-platform, -style): it is passed over then, and refused only once Qt has taken
// its options out of argv. --help and --version need no display, so they are answered first.
Parsed ParseArguments(int argc, char** argv, tessel::SharedOptions& options, bool qtOptionsLeft) {
    const std::vector<std::string> args(argv, argv + argc);
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string error;
        if (tessel::TakeSharedOption(args, i, tessel::kEverySharedOption, options, error)) {
            if (error.empty())
                continue;
            std::fprintf(stderr, "TesselCustom: %s\n%s", error.c_str(), kUsage);
            return Parsed::kUsageError;
        }
        if (args[i] == "--help") {
            std::fputs(kUsage, stdout);
            return Parsed::kDone;
        }
        if (args[i] == "--version") {
            tessel::ProcExecutable executable;
            std::printf("%s\n", tessel::mdlApp::GetVersionText(executable, "\n").c_str());
            return Parsed::kDone;
        }
        if (!qtOptionsLeft) {
            std::fprintf(stderr, "TesselCustom: unknown option %s\n%s", args[i].c_str(), kUsage);
            return Parsed::kUsageError;
        }
    }
    return Parsed::kRun;
}

int ExitCode(Parsed parsed) {
    return parsed == Parsed::kDone ? 0 : 2;
}

const char* GetEnvironment(const char* name) {
    return std::getenv(name);
}

// The store ChooseStartingStore picks. A remembered store that is gone gives way to the jar; a
// named one that cannot be opened is an error.
std::unique_ptr<tessel::CookieStore> OpenChosenStore(const tessel::SharedOptions& given,
                                                     tessel::StartingStore& starting,
                                                     tessel::Clock& clock,
                                                     tessel::CookieFailure& error) {
    if (auto store = tessel::OpenCookieStore(starting.options, clock, error))
        return store;
    if (starting.reason != tessel::StoreChoiceReason::kRemembered)
        return nullptr;
    starting = {given, tessel::StoreChoiceReason::kNoBrowser};
    return tessel::OpenCookieStore(starting.options, clock, error);
}

// The one-line notice of the store the program chose by itself, at the first window that uses it.
std::string StoreNotice(const tessel::StartingStore& starting) {
    const char* why = starting.reason == tessel::StoreChoiceReason::kDefaultBrowser
                          ? "既定のブラウザーのクッキーに書き込みます"
                      : starting.reason == tessel::StoreChoiceReason::kRecentBrowser
                          ? "最近使ったブラウザーのクッキーに書き込みます"
                          : "ブラウザーが見つからないため cookies.txt に書き込みます";
    return std::string(why) + "（" + tessel::DescribeCookieStore(starting.options) +
           "）。保存先は「クッキーの保存先」メニューで変えられます。";
}

QString MenuText(const tessel::FoundStore& found) {
    QString text = QString::fromStdString(found.browser.empty() ? "cookies.txt" : found.browser);
    if (!found.name.empty())
        text += QStringLiteral("（%1）").arg(QString::fromStdString(found.name));
    text += QStringLiteral("  ") + QString::fromStdString(found.location.path);
    if (!found.writable)
        text += QStringLiteral(" — 書き込み不可: ") +
                QString::fromStdString(found.failure ? tessel::FailureText(found.failure)
                                                     : found.error);
    return text;
}

// The character sets a store can be written in, as the store menu offers them after the stores.
constexpr struct {
    const char* text;
    tessel::CookieCharset charset;
} kCharsetItems[] = {
    {"Shift_JIS（CP932）で保存(&J)", tessel::CookieCharset::kCp932},
    {"UTF-8 で保存(&U)", tessel::CookieCharset::kUtf8},
};

// Lets the window's menu switch the store and its character set (Firefox keeps only UTF-8), with
// the status bar following.
void ConnectStoreMenu(tessel::QtMainWindow& window, tessel::CookieStoreChooser& chooser,
                      tessel::UndoJournal& journal) {
    auto found = std::make_shared<std::vector<tessel::FoundStore>>();
    window.SetStoreMenu(
        [&chooser, found] {
            *found = chooser.Stores();
            std::vector<tessel::QtMainWindow::StoreMenuItem> items;
            for (const tessel::FoundStore& store : *found)
                items.push_back({MenuText(store), chooser.IsCurrent(store)});
            for (const auto& item : kCharsetItems) {
                items.push_back({QString::fromUtf8(item.text), chooser.Charset() == item.charset,
                                 chooser.CharsetChoosable(), items.size() == found->size()});
            }
            return items;
        },
        [&window, &chooser, &journal, found](std::size_t index) {
            std::string error;
            const bool chosen =
                index < found->size()
                    ? chooser.Choose(found->at(index), error)
                    : chooser.ChooseCharset(kCharsetItems[index - found->size()].charset, error);
            window.SetStoreDescription(QString::fromStdString(chooser.Description()));
            journal.store = chooser.Identity();
            if (!error.empty())
                window.ShowMessage(chosen ? error : "保存先を開けません: " + error, "TesselCustom",
                                   tessel::MessageIcon::kNone);
        });
}

}  // namespace

int main(int argc, char** argv) {
    tessel::SharedOptions options;
    if (const Parsed parsed = ParseArguments(argc, argv, options, true); parsed != Parsed::kRun)
        return ExitCode(parsed);
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "TesselCustom: 画面（ディスプレイ）がありません。"
                     "DISPLAY か WAYLAND_DISPLAY を設定してください。\n");
        return 1;
    }
    QApplication qt(argc, argv);  // takes Qt's own options out of argv
    tessel::JoinDesktop(qt);
    QFont font = QApplication::font();
    font.setFamilies(
        {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"), font.family()});
    font.setPointSize(9);
    QApplication::setFont(font);
    options = {};
    if (const Parsed parsed = ParseArguments(argc, argv, options, false); parsed != Parsed::kRun)
        return ExitCode(parsed);

    tessel::SystemClock clock;
    tessel::StartingStore starting = tessel::ChooseStartingStore(
        options, GetEnvironment, tessel::OpenableBrowserStore(clock, GetEnvironment));
    tessel::CookieFailure error;
    std::unique_ptr<tessel::CookieStore> opened = OpenChosenStore(options, starting, clock, error);
    options = starting.options;
    if (!opened) {
        std::fprintf(stderr, "TesselCustom: %s\n", tessel::FailureText(error).c_str());
        return 2;
    }
    tessel::ChosenCookieStore store(std::move(opened));
    tessel::CookieStoreChooser chooser(store, clock, options, GetEnvironment);
    tessel::PosixProfileFile profile;
    tessel::ProcExecutable executable;
    tessel::QtMessageBox messages;
    // Without xdg-open or gio, Qt's own way of opening a document is the last to try.
    tessel::XdgOpenShell shell(
        tessel::XdgOpenShell::DesktopLaunchers(), [](const std::string& file) {
            return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file)));
        });
    tessel::QtWindowFactory windows(shell,
                                    QString::fromStdString(tessel::DescribeCookieStore(options)));
    tessel::mdlMain application({profile, store, clock, executable, messages, windows},
                                options.boardList);
    tessel::PosixAppPlaces places(executable.Directory());
    application.SearchBoardList(places);
    tessel::PosixJournalFile journalFile(tessel::UndoJournalPath(GetEnvironment));
    tessel::UndoJournal journal{journalFile, chooser.Identity(), clock};
    application.KeepUndoJournal(journal);
    if (!application.Main())
        return 0;
    if (windows.Window() != nullptr) {
        ConnectStoreMenu(*windows.Window(), chooser, journal);
        if (tessel::FirstTimeChosen(starting, GetEnvironment))
            windows.Window()->SetStatusText(StoreNotice(starting));
    }
    ReportStartupWhenPainted(windows.Window());
    return QApplication::exec();
}
