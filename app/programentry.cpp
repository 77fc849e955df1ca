#include "app/programentry.h"

#include "app/builtinfiles.h"
#include "app/unit1.h"
#include "app/unit2.h"
#include "app/unit3.h"
#include "app/unit4.h"
#include "toolkit/controls/graphics.h"
#include "toolkit/graphics/icondecoder.h"
#include "toolkit/widgetset/widgetset.h"

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
    // The desktop knows the program as "veludor" (its desktop file); the window system's
    // own texts are in French as the program's are. The session outlives every form.
    const auto Session = WidgetSet().Start(argc, argv, u"veludor", u"fr");
    InstallFontSubstitutions();

    TApplication Veludor;
    Veludor.SetTitle(u"Veludor");
    Veludor.SetIcon(ProgramIcon());
    CreateVeludorForms();
    return Veludor.Run();
}
