#include "qt/ElidedLabel.h"

#include <QResizeEvent>
#include <algorithm>

namespace tessel {
namespace {

constexpr int kMargin = 8;  // the label's own margins and the bar's spacing

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::NoFocus);  // out of the tab order: it holds no input
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::SetFullText(const QString& text) {
    full_ = text;
    setToolTip(text);
    updateGeometry();
    Elide();
}

int ElidedLabel::FullWidth() const {
    return full_.isEmpty() ? 0 : fontMetrics().horizontalAdvance(full_) + kMargin;
}

void ElidedLabel::SetRoom(int most, bool claims) {
    most_ = most;
    claims_ = claims;
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const {
    return {std::min(FullWidth(), most_), QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    const int least = fontMetrics().horizontalAdvance(QStringLiteral("M…M")) + kMargin;
    const int width = claims_ ? sizeHint().width() : std::min(sizeHint().width(), least);
    return {width, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void ElidedLabel::Elide() {
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, width() - kMargin / 2);
    if (shown != text())
        setText(shown);
}

}  // namespace tessel
