#include "qt/QtMessageBox.h"

#include <QMessageBox>

namespace tessel {

void QtMessageBox::ShowMessage(const std::string& text, const std::string& caption,
                               MessageIcon icon) {
    const QMessageBox::Icon boxIcon = icon == MessageIcon::kStop          ? QMessageBox::Critical
                                      : icon == MessageIcon::kInformation ? QMessageBox::Information
                                                                          : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace tessel
