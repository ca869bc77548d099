#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

namespace tessel::testing {

// Closes every modal message box as soon as it shows, remembering what it said: a test cannot
// click a box whose exec() it is waiting in.
class ModalBoxCloser : public QObject {
  public:
    struct Box {
        QString title, text;
    };

    ModalBoxCloser() {
        connect(&timer_, &QTimer::timeout, this, [this] { CloseOpenBox(); });
        timer_.start(5);
    }

    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const Box& box : boxes)
            texts.push_back(box.text);
        return texts;
    }

    std::vector<Box> boxes;

  private:
    void CloseOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        boxes.push_back({box->windowTitle(), box->text()});
        box->button(QMessageBox::Ok)->click();
    }

    QTimer timer_;
};

}  // namespace tessel::testing
