#include "qt/TypingLimit.h"

#include <QLineEdit>

namespace tessel {

TypingLimit::TypingLimit(QLineEdit* edit, int limit)
    : QValidator(edit), edit_(edit), limit_(limit) {
    // While an edit is being validated the line edit already holds the edited text, so the length
    // it had before is kept here.
    held_ = edit->text().size();
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { held_ = text.size(); });
}

QValidator::State TypingLimit::validate(QString& input, int&) const {
    const qsizetype length = input.size();
    return settingText_ || length <= limit_ || length <= held_ ? Acceptable : Invalid;
}

void TypingLimit::SetText(const QString& text) {
    settingText_ = true;
    edit_->setText(text);
    settingText_ = false;
}

}  // namespace tessel
