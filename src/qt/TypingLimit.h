#pragma once

#include <QValidator>

class QLineEdit;

namespace tessel {

// Limits what the user types into a line edit to a number of characters, as a Windows edit
// control's limit does: text the program sets is kept whole however long it is (a stored password
// longer than the limit is shown and written back unchanged), and an edit is refused only when it
// would make the text longer than both the limit and what it already holds.
class TypingLimit : public QValidator {
  public:
    TypingLimit(QLineEdit* edit, int limit);

    State validate(QString& input, int& position) const override;

    // Sets the edit's text as the program's: kept whole, whatever its length.
    void SetText(const QString& text);

  private:
    QLineEdit* edit_;
    int limit_;
    qsizetype held_ = 0;
    bool settingText_ = false;
};

}  // namespace tessel
