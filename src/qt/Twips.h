#pragma once

#include <QRect>
#include <QWidget>

namespace tessel {

// The window's layout is given in twips (1/1440 inch); widgets are placed in pixels at the
// screen's logical resolution, so the window keeps its proportions on a high-resolution screen.
class Twips {
  public:
    explicit Twips(double dotsPerInch) : dotsPerInch_(dotsPerInch) {}
    static Twips For(const QWidget* widget) { return Twips(widget->logicalDpiY()); }

    int ToPixels(int twips) const { return static_cast<int>(twips * dotsPerInch_ / 1440.0 + 0.5); }
    int FromPixels(int pixels) const {
        return static_cast<int>(pixels * 1440.0 / dotsPerInch_ + 0.5);
    }
    QRect Rect(int left, int top, int width, int height) const {
        return QRect(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
    }

  private:
    double dotsPerInch_;
};

}  // namespace tessel
