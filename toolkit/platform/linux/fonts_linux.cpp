#include "toolkit/platform/fonts.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/qt/qtconvert.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcFonts, "veludor.fonts", QtWarningMsg)

namespace {
class TUserFonts : public IFontService {
public:
    // The per-user fonts folder of the freedesktop layout ($XDG_DATA_HOME/fonts/).
    TString FontsFolder() const override
    {
        const QString Data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (Data.isEmpty() || !QDir::isAbsolutePath(Data)) {
            return {};
        }
        return FromQt(Data + QStringLiteral("/fonts/"));
    }

    bool CopyFontFile(const TString& SourceName, const TString& TargetName) override
    {
        const QString Source = ToQt(SourceName);
        const QString Target = ToQt(TargetName);
        QFile In(Source);
        if (!In.open(QIODevice::ReadOnly)) {
            qCDebug(lcFonts) << "no font file to copy:" << Source;
            return false;
        }
        // A font file is small; refuse anything absurd rather than fill the disk.
        if (In.size() > 64 * 1024 * 1024) {
            return false;
        }
        const QByteArray Content = In.readAll();
        // The same font already there is left alone: rewriting it at every start would
        // have fontconfig scan the fonts folder again each time.
        QFile Present(Target);
        if (Present.size() == Content.size() && Present.open(QIODevice::ReadOnly)
            && Present.readAll() == Content) {
            return true;
        }
        Present.close();
        QDir().mkpath(QFileInfo(Target).absolutePath());
        // Written aside and renamed, so a program reading the folder never sees half a font.
        QSaveFile Out(Target);
        if (!Out.open(QIODevice::WriteOnly)) {
            qCDebug(lcFonts) << "fonts folder not writable:" << Target;
            return false;
        }
        Out.write(Content);
        return Out.commit();
    }

    std::vector<TString> AddFontResource(const TString& Name) override
    {
        const QString FileName = ToQt(Name);
        const int Id = QFontDatabase::addApplicationFont(FileName);
        if (Id < 0) {
            qCDebug(lcFonts) << "font not added:" << FileName;
            return {};
        }
        std::vector<TString> Families;
        for (const QString& Family : QFontDatabase::applicationFontFamilies(Id)) {
            Families.push_back(FromQt(Family));
        }
        return Families;
    }
};
TUserFonts UserFonts;
TServiceSlot<IFontService> Slot(UserFonts);
}

IFontService& FontService()
{
    return Slot.Get();
}
void SetFontService(IFontService* Service)
{
    Slot.Set(Service);
}
