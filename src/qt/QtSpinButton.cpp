#include "qt/QtSpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <optional>

#include "qt/Twips.h"

namespace tessel {
namespace {

// The parts' design geometry, in twips.
constexpr int kTextWidth = 855, kTextHeight = 330;
constexpr int kSpinLeft = 840, kSpinWidth = 195, kSpinHeight = 315;

constexpr std::int16_t kKeyUp = 38, kKeyDown = 40, kKeyOther = 255;

std::int16_t KeyCodeOf(int qtKey) {
    if (qtKey == Qt::Key_Up)
        return kKeyUp;
    if (qtKey == Qt::Key_Down)
        return kKeyDown;
    return kKeyOther;  // keys the logic leaves to the text part
}

// The character a key types, as the text part's key filter sees it; none for keys that type
// nothing (arrows, Home, Delete, most shortcuts), which are the text part's own. Cut, paste, Enter
// and Escape would act on the text part directly, so they are turned into the control characters
// they produce and go through the filter like any character.
std::optional<std::int16_t> KeyAsciiOf(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        if (event->key() == Qt::Key_X)
            return 24;
        if (event->key() == Qt::Key_V)
            return 22;
        return std::nullopt;
    }
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            return 13;
        if (event->key() == Qt::Key_Escape)
            return 27;
    }
    const QString typed = event->text();
    if (typed.size() != 1 || (modifiers & Qt::ControlModifier) ||
        !(typed[0].isPrint() || typed[0] == QChar(8))) {
        return std::nullopt;
    }
    const char16_t unit = typed[0].unicode();
    return unit < 0x8000 ? static_cast<std::int16_t>(unit) : kKeyOther;
}

std::int16_t ShiftOf(Qt::KeyboardModifiers modifiers) {
    std::int16_t shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

// Moves a part to twips left, top and width, keeping its height; a negative width is refused.
bool MovePart(QWidget* part, std::int32_t left, std::int32_t top, std::int32_t width) {
    if (width < 0)
        return false;
    const Twips twips = Twips::For(part);
    part->setGeometry(twips.ToPixels(left), twips.ToPixels(top), twips.ToPixels(width),
                      part->height());
    return true;
}

}  // namespace

QtSpinButton::QtSpinButton(QWidget* parent)
    : QWidget(parent),
      text_(new QLineEdit(this)),
      spin_(new QScrollBar(Qt::Vertical, this)),
      logic_(*this) {
    const Twips twips = Twips::For(this);
    text_->setGeometry(twips.Rect(0, 0, kTextWidth, kTextHeight));
    text_->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferNumbers);
    text_->installEventFilter(this);
    spin_->setGeometry(twips.Rect(kSpinLeft, 0, kSpinWidth, kSpinHeight));
    spin_->setRange(0, 2);
    spin_->setSingleStep(1);
    spin_->setPageStep(1);
    spin_->setValue(1);
    spin_->setInvertedControls(false);
    spin_->setFocusPolicy(Qt::NoFocus);  // the arrows never keep the focus
    // Focus given to the control (by an access key or the tab order) goes to its text part.
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(text_);
    connect(text_, &QLineEdit::textChanged, this, [this] { logic_.Text_Change(); });
    connect(spin_, &QScrollBar::valueChanged, this, [this] { logic_.Spin_Change(); });
    // A run-time load: every setting at its default.
    logic_.UserControl_ReadProperties(PropertyBag(uSpinButton::kClassId));
}

bool QtSpinButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched != text_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress:
            return FilterKeyPress(static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease:
            return FilterKeyRelease(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            logic_.Text_GotFocus();
            // A click places the caret when the button comes up; select again then, so that
            // typing replaces the number.
            selectOnRelease_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
            return false;
        case QEvent::MouseButtonRelease:
            if (selectOnRelease_ && !text_->hasSelectedText())
                logic_.Text_GotFocus();
            selectOnRelease_ = false;
            return false;
        default:
            return false;
    }
}

bool QtSpinButton::FilterKeyPress(QKeyEvent* event) {
    std::int16_t code = KeyCodeOf(event->key());
    logic_.Text_KeyDown(code, ShiftOf(event->modifiers()));
    if (code == 0)
        return true;

    const std::optional<std::int16_t> typed = KeyAsciiOf(event);
    if (!typed)
        return false;
    std::int16_t keyAscii = *typed;
    const std::int16_t before = keyAscii;
    logic_.Text_KeyPress(keyAscii);
    if (keyAscii == 0)
        return true;
    if (keyAscii == before)
        return false;  // the key itself reaches the text part
    // The container changed the key: type its character instead.
    if (keyAscii == 8) {
        text_->backspace();
    } else {
        text_->insert(QString(QChar(static_cast<char16_t>(keyAscii))));
    }
    return true;
}

bool QtSpinButton::FilterKeyRelease(QKeyEvent* event) {
    std::int16_t code = KeyCodeOf(event->key());
    logic_.Text_KeyUp(code, ShiftOf(event->modifiers()));
    return code == 0;
}

void QtSpinButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    logic_.UserControl_Resize();
}

void QtSpinButton::RaiseKeyPress(std::int16_t& KeyAscii) {
    if (onKeyPress)
        onKeyPress(KeyAscii);
}

std::int32_t QtSpinButton::ScaleWidth() {
    return Twips::For(this).FromPixels(width());
}

void QtSpinButton::SetHeight(std::int32_t height) {
    const int pixels = Twips::For(this).ToPixels(height);
    if (pixels != this->height())
        resize(width(), pixels);
}

bool QtSpinButton::Enabled() {
    return isEnabled();
}
void QtSpinButton::SetEnabled(bool enabled) {
    setEnabled(enabled);
}

std::string QtSpinButton::Text() {
    return text_->text().toStdString();
}

void QtSpinButton::SetText(const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (value != text_->text())
        text_->setText(value);  // notifies before it returns
}

std::int32_t QtSpinButton::SelStart() {
    return text_->cursorPosition();
}

void QtSpinButton::SetSelStart(std::int32_t start) {
    text_->setCursorPosition(std::min<std::int32_t>(start, text_->text().size()));
}

void QtSpinButton::SetSelLength(std::int32_t length) {
    const int start = text_->cursorPosition();
    text_->setSelection(start, std::min<std::int32_t>(length, text_->text().size() - start));
}

void QtSpinButton::SetTextFocus() {
    text_->setFocus(Qt::OtherFocusReason);
}
void QtSpinButton::SetTextEnabled(bool enabled) {
    text_->setEnabled(enabled);
}
bool QtSpinButton::TextLocked() {
    return text_->isReadOnly();
}
void QtSpinButton::SetTextLocked(bool locked) {
    text_->setReadOnly(locked);
}
std::int32_t QtSpinButton::TextWidth() {
    return Twips::For(this).FromPixels(text_->width());
}
std::int32_t QtSpinButton::TextHeight() {
    return Twips::For(this).FromPixels(text_->height());
}

bool QtSpinButton::MoveText(std::int32_t left, std::int32_t top, std::int32_t width) {
    return MovePart(text_, left, top, width);
}

std::int32_t QtSpinButton::SpinValue() {
    return spin_->value();
}

void QtSpinButton::SetSpinValue(std::int32_t position) {
    spin_->setValue(position);  // notifies before it returns when the position changes
}

void QtSpinButton::SetSpinEnabled(bool enabled) {
    spin_->setEnabled(enabled);
}
std::int32_t QtSpinButton::SpinWidth() {
    return Twips::For(this).FromPixels(spin_->width());
}

bool QtSpinButton::MoveSpin(std::int32_t left, std::int32_t top, std::int32_t width) {
    return MovePart(spin_, left, top, width);
}

}  // namespace tessel
