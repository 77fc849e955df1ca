#include "app/programentry.h"

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
#include <QPixmap>
#include <QResource>

#include <memory>

Q_LOGGING_CATEGORY(lcPlatform, "veludor.platform", QtWarningMsg)

// The built-in pictures live in this library's resources; a static library's resources
// are registered by hand.
static void InitBuiltinResources()
{
    static bool Done = false;
    if (!Done) {
        Done = true;
        Q_INIT_RESOURCE(resources);
    }
}

// The program's icon, every size of it, decoded by the toolkit (Qt's reader would load
// its icon plugin and convert colours through a gamma table).
static QIcon BuiltinIcon(const QString& Name)
{
    InitBuiltinResources();
    QIcon Icon;
    const QResource Resource(Name);
    for (const QImage& Image : DecodeIconImages(Resource.uncompressedData())) {
        Icon.addPixmap(QPixmap::fromImage(Image));
    }
    return Icon;
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
    Veludor.SetIcon(BuiltinIcon(QStringLiteral(":/builtin/veludor.ico")));
    QApplication::setWindowIcon(Veludor.Icon());
    CreateVeludorForms();
    return Veludor.Run();
}
