#pragma once

class QApplication;

namespace tessel {

// Makes the application a member of the desktop: the desktop entry and icon it belongs to (so a
// Wayland compositor matches its windows to the menu entry), and Qt's own Japanese texts for the
// standard context menus and dialog buttons, since every other text of the window is Japanese.
// Without the translation installed, those stay in English.
void JoinDesktop(QApplication& application);

}  // namespace tessel
