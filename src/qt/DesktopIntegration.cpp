#include "qt/DesktopIntegration.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ProductIdentity.h"

namespace tessel {

void JoinDesktop(QApplication& application) {
    QGuiApplication::setDesktopFileName(QStringLiteral(TESSEL_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TESSEL_APP_ID)));
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace tessel
