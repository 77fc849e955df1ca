#include "app/programentry.h"

#include "app/builtinfiles.h"
#include "app/unit1.h"
#include "app/unit2.h"
#include "app/unit3.h"
#include "app/unit4.h"
#include "toolkit/controls/graphics.h"
#include "toolkit/graphics/icondecoder.h"
#include "toolkit/platform/displayplatform.h"
#include "toolkit/qt/qttranslation.h"

#include <QApplication>
#include <QLocale>
#include <QLoggingCategory>

#include <memory>

Q_LOGGING_CATEGORY(lcPlatform, "veludor.platform", QtWarningMsg)

// The program's icon, every size of it, decoded by the toolkit (Qt's reader would load
// its icon plugin and convert colours through a gamma table). The bytes are read where
// they lie, not copied.
static TIcon ProgramIcon()
{
    return TIcon(DecodeIconImages(BuiltinIcon));
}

void CreateVeludorForms()
{
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
                       << (Choice->Platform().empty()
                                  ? QByteArray("by Qt")
                                  : QByteArray::fromStdString(Choice->Platform()));
    Choice.reset();
    QApplication::setApplicationName(QStringLiteral("veludor"));
    QApplication::setDesktopFileName(QStringLiteral("veludor"));

    // Qt's own dialog texts (file dialog, message box buttons) in French.
    SetQtTranslationLocale(QLocale(QLocale::French));
    InstallFontSubstitutions();

    TApplication Veludor;
    Veludor.SetTitle(u"Veludor");
    Veludor.SetIcon(ProgramIcon());
    CreateVeludorForms();
    return Veludor.Run();
}
