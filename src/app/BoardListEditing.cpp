#include "app/BoardListEditing.h"

#include "app/BoardListSearch.h"
#include "app/FailureText.h"
#include "app/mdlExecuteLite.h"

namespace tessel {
namespace {

// Why the user's list could not be made, in the window's words.
std::string CreationFailure(const CreatedBoardList& created) {
    using Outcome = CreatedBoardList::Outcome;
    switch (created.outcome) {
        case Outcome::kNoSample:
            return "サンプルの掲示板一覧がインストールされていません";
        case Outcome::kNoPlace:
            return "XDG_CONFIG_HOME も HOME も、掲示板一覧を置くフォルダーを指していません";
        case Outcome::kCopyFailed:
            return created.path + ": " + FailureText(created.failure);
        case Outcome::kCreated:
        case Outcome::kAlreadyThere:
            break;
    }
    return {};
}

}  // namespace

BoardListEdit EditBoardList(mdlMain& application, DocumentShell& shell) {
    std::string path = application.BoardListPath();
    std::string made;
    AppPlaces* places = application.Places();
    if (places != nullptr && !places->Exists(path)) {
        const CreatedBoardList created = CreateBoardList(*places);
        if (const std::string failure = CreationFailure(created); !failure.empty())
            return {false, "掲示板一覧を作れませんでした。\n" + failure};
        path = created.path;
        made = "サンプルから作って";
    }
    if (mdlExecuteLite::ExecuteLite(shell, path, std::nullopt, "open") == 0)
        return {false, "掲示板一覧 " + path + " をテキストエディターで開けませんでした。"};
    return {true, "掲示板一覧 " + path + " を" + made +
                      "開きました。編集後、「掲示板一覧を読み直す」(F5) で読み込みます"};
}

std::string BoardListInUse(mdlMain& application) {
    return application.BoardListMissing() ? "掲示板一覧: なし"
                                          : "掲示板一覧: " + application.BoardListPath();
}

}  // namespace tessel
