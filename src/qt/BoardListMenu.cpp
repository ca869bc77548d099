#include "qt/BoardListMenu.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "app/BoardListEditing.h"
#include "app/mdlApp.h"

namespace tessel {
namespace {

// A long path must not widen the window, whose size is fixed: the middle of it gives way.
void ShowBoardListName(QtMainWindow& window, mdlMain& application) {
    const QString name = QString::fromStdString(BoardListInUse(application));
    auto* label = new QLabel(&window);
    const int room = window.centralWidget()->width() * 2 / 5;
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, room));
    label->setToolTip(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setFocusPolicy(Qt::NoFocus);
    window.statusBar()->addPermanentWidget(label);
}

}  // namespace

void AddBoardListCommands(QtMainWindow& window, mdlMain& application, DocumentShell& shell) {
    QMenu* file = window.FileMenu();
    QAction* exit = file->actions().value(0);
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
    file->insertAction(exit, edit);
    file->insertSeparator(exit);
    ShowBoardListName(window, application);
}

}  // namespace tessel
