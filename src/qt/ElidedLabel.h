#pragma once

#include <QLabel>

namespace tessel {

// A status bar text that gives way: too long for its room, it loses its middle (a path keeps its
// start and its file name), and its tooltip holds the whole text. It asks for at most the room it
// is given, so that a long text never widens the fixed-size window; a text that claims its room
// does not give way below it.
class ElidedLabel : public QLabel {
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    QString FullText() const { return full_; }
    // The width of the whole text.
    int FullWidth() const;
    void SetRoom(int most, bool claims);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Elide();

    QString full_;
    bool claims_ = false;
    int most_ = 0;
};

}  // namespace tessel
