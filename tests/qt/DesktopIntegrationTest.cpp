#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>

#include "qt/DesktopIntegration.h"

namespace tessel {
namespace {

// The desktop entry's name ties the window to the menu entry on Wayland, and Qt's own Japanese
// texts make the fields' standard context menus Japanese like the rest of the window.
TEST(DesktopIntegrationTest, TheWindowJoinsItsDesktopEntryAndSpeaksJapanese) {
    JoinDesktop(*qApp);
    EXPECT_EQ(QGuiApplication::desktopFileName(), "jp.tesselcustom.TesselCustom");
    for (const char* english : {"&Undo", "&Copy", "Select All"}) {
        SCOPED_TRACE(english);
        const QString text = QCoreApplication::translate("QLineEdit", english);
        EXPECT_NE(text, QString::fromLatin1(english));
    }
}

}  // namespace
}  // namespace tessel
