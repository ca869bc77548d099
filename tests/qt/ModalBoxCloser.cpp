#include "ModalBoxCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace tessel::testing {

ModalBoxCloser::ModalBoxCloser() {
    connect(&timer_, &QTimer::timeout, this, [this] { CloseOpenBox(); });
    timer_.start(5);
}

void ModalBoxCloser::CloseOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    boxes.push_back({box->windowTitle(), box->text(), static_cast<int>(box->icon())});
    box->button(QMessageBox::Ok)->click();
}

std::vector<QString> ModalBoxCloser::Texts() const {
    std::vector<QString> texts;
    for (const Box& box : boxes)
        texts.push_back(box.text);
    return texts;
}

}  // namespace tessel::testing
