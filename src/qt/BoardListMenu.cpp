#include "qt/BoardListMenu.h"

#include <QAction>
#include <QMenu>

#include "app/BoardListEditing.h"
#include "app/mdlApp.h"

namespace tessel {

void AddBoardListCommands(QtMainWindow& window, mdlMain& application, DocumentShell& shell) {
    QMenu* file = window.FileMenu();
    QAction* first = file->actions().value(0);
    auto* edit = new QAction(QStringLiteral("掲示板一覧を編集(&E)..."), file);
    QObject::connect(edit, &QAction::triggered, &window, [&window, &application, &shell] {
        const BoardListEdit result = EditBoardList(application, shell);
        if (result.opened)
            window.SetStatusText(result.text);
        else
            window.ShowMessage(result.text,
                               mdlApp::GetMessageCaption(application.Services().executable),
                               MessageIcon::kStop);
    });
    file->insertAction(first, edit);
    // The list read again may be another one (the user's own, made by the edit command).
    const auto showName = [&window, &application] {
        window.SetBoardListName(QString::fromStdString(BoardListInUse(application)));
    };
    QObject::connect(window.ReloadAction(), &QAction::triggered, &window, showName);
    showName();
}

}  // namespace tessel
