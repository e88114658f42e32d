#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vorlex::app {
namespace {

// The installed translator is a child of the application object, found again by this name.
constexpr auto kTranslatorName = "qtTranslations";

QLocale localeFor(QLocale::Language language) {
    const QLocale desktop = QLocale::system();
    return desktop.language() == language ? desktop : QLocale(language);
}

} // namespace

bool applyQtTranslations(store::Language language) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr)
        return false;
    const QLocale::Language wanted =
        store::isRussian(language) ? QLocale::Russian : QLocale::English;
    QLocale::setDefault(localeFor(wanted));

    auto* installed = application->findChild<QTranslator*>(QLatin1String(kTranslatorName),
                                                           Qt::FindDirectChildrenOnly);
    // Only the Russian translation is ever installed.
    if (installed != nullptr && wanted == QLocale::Russian)
        return true;
    delete installed; // a translator removes itself from the application as it goes
    if (wanted == QLocale::English)
        return true;

    auto* translator = new QTranslator(application);
    translator->setObjectName(QLatin1String(kTranslatorName));
    if (!translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace vorlex::app
