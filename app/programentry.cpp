#include "app/programentry.h"

#include "app/unit1.h"
#include "app/unit2.h"
#include "app/unit3.h"
#include "app/unit4.h"
#include "toolkit/controls/graphics.h"
#include "toolkit/platform/displayplatform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

#include <memory>

Q_LOGGING_CATEGORY(lcPlatform, "veludor.platform", QtWarningMsg)

// The built-in pictures live in this library's resources; a static library's resources
// are registered by hand.
static void InitBuiltinResources()
{
    Q_INIT_RESOURCE(resources);
}

void CreateVeludorForms()
{
    InitBuiltinResources();
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->CreateForm(Form4);
}

int RunVeludor(int argc, char** argv)
{
    // X11 where an X server is there (XWayland too), Wayland alone otherwise.
    auto Choice = std::make_unique<TDisplayPlatformChoice>();
    QApplication App(argc, argv);
    qCInfo(lcPlatform) << "windowing platform" << QApplication::platformName() << "chosen"
                       << (Choice->Platform().isEmpty() ? QByteArray("by Qt") : Choice->Platform());
    Choice.reset();
    QApplication::setApplicationName(QStringLiteral("veludor"));
    QApplication::setDesktopFileName(QStringLiteral("veludor"));

    // Qt's own dialog texts (file dialog, message box buttons) in French.
    QTranslator QtFrench;
    if (QtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&QtFrench);
    }
    InstallFontSubstitutions();

    TApplication Veludor;
    Veludor.SetTitle(QStringLiteral("Veludor"));
    Veludor.SetIcon(QIcon(QStringLiteral(":/builtin/veludor.ico")));
    QApplication::setWindowIcon(Veludor.Icon());
    CreateVeludorForms();
    return Veludor.Run();
}
