#include "tests/fakes/qtcompare.h"
#include "tests/app/alarm/alarmfixture.h"

#include "app/programentry.h"
#include "app/unit1.h"
#include "app/unit2.h"
#include "app/unit4.h"
#include "components/transparent_radio/vqtrradiobutton.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/menus.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"

#include <QDir>
#include <QFile>

namespace {
// Long enough never to elapse during a test; Enabled keeps its meaning.
constexpr int NeverMs = 24 * 3600 * 1000;
}

TAlarmFixture::TAlarmFixture()
    : Clock(QDateTime(QDate(2026, 12, 7), QTime(7, 4, 58, 0)))
{
    FFolder = FDir.path() + QLatin1Char('/');
    QDir().mkpath(FFolder + QStringLiteral("skin"));
    const QDir Skins(QStringLiteral(VELUDOR_ASSETS "/skin"));
    for (const QString& Name : Skins.entryList(QDir::Files)) {
        QFile::copy(Skins.filePath(Name), FFolder + QStringLiteral("skin/") + Name);
    }
    QFile::copy(
        QStringLiteral(VELUDOR_ASSETS "/DS-DIGI.TTF"), FFolder + QStringLiteral("DS-DIGI.TTF"));
    QDir::setCurrent(FFolder);
    SetProgramFolder(FFolder);
}

TAlarmFixture::~TAlarmFixture()
{
    FApp.reset();
    SetProgramFolder(QString());
    QDir::setCurrent(QDir::tempPath());
}

void TAlarmFixture::Start()
{
    FApp = std::make_unique<TApplication>();
    FApp->SetTitle(u"Veludor");
    CreateVeludorForms();
    for (TTimer* T : { Form1->Timer1, Form1->Timer2, Form2->Timer1, Form4->Timer1 }) {
        T->SetInterval(NeverMs);
    }
}

void TAlarmFixture::Tick(TTimer* Timer)
{
    if (Timer->Enabled()) {
        Timer->Tick();
    }
}

void TAlarmFixture::Arm(int Hour, int Minute, bool Sound)
{
    Form1->config1->Click();
    Form1->SpinEdit1->SetValue(Hour);
    Form1->SpinEdit2->SetValue(Minute);
    (Sound ? Form1->VqTrRadioButton1 : Form1->VqTrRadioButton2)->SetChecked(true);
    Form1->Button2->Click();
}

void TAlarmFixture::WatchAt(const QTime& Time)
{
    Clock.Set(QDateTime(Clock.Current().date(), Time));
    Tick(Form1->Timer2);
}
