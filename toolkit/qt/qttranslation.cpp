#include "toolkit/qt/qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <optional>

namespace {
std::optional<QLocale> Wanted;
std::unique_ptr<QTranslator> Installed;
}

void SetQtTranslationLocale(const QLocale& Locale)
{
    Wanted = Locale;
}

void LoadQtTranslation()
{
    if (!Wanted || Installed || !QCoreApplication::instance()) {
        return;
    }
    auto Translator = std::make_unique<QTranslator>();
    if (Translator->load(*Wanted, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(Translator.get());
        Installed = std::move(Translator);
    }
    Wanted.reset(); // one attempt: a missing file is not looked for again
}
