#pragma once

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
        int icon;
    };

    ModalBoxCloser();
    std::vector<QString> Texts() const;

    std::vector<Box> boxes;

  private:
    void CloseOpenBox();
    QTimer timer_;
};

}  // namespace tessel::testing
