#include "toolkit/platform/filesearch.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/qt/qtconvert.h"

#include <QDir>

namespace {
// "*" stands for any run of characters, "?" for one; everything else for itself, case
// folded. Matched here rather than through QDir's name filters, which compile a regular
// expression (and bring the expression engine's half megabyte into the start of a
// program that only ever lists "*.bmp").
bool Matches(QStringView Name, QStringView Pattern)
{
    qsizetype N = 0;
    qsizetype P = 0;
    qsizetype Star = -1; // the last "*" seen, to go back to when a later part fails
    qsizetype Resume = 0; // where in Name that "*" stops swallowing
    while (N < Name.size()) {
        if (P < Pattern.size() && Pattern[P] == QLatin1Char('*')) {
            Star = P++;
            Resume = N;
        } else if (P < Pattern.size()
            && (Pattern[P] == QLatin1Char('?')
                || Pattern[P].toCaseFolded() == Name[N].toCaseFolded())) {
            ++P;
            ++N;
        } else if (Star >= 0) {
            P = Star + 1;
            N = ++Resume;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == QLatin1Char('*')) {
        ++P;
    }
    return P == Pattern.size();
}

class TDirSearch : public IFileSearch {
public:
    std::vector<TString> FindFiles(const TString& Folder, const TString& Pattern) const override
    {
        QDir Dir(ToQt(Folder));
        if (!Dir.exists()) {
            return {};
        }
        // Every kind of entry (hidden, system, folders) whose name matches, case-insensitive,
        // in name order so that the list reads the same on every file system.
        QStringList Names
            = Dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                QDir::Name | QDir::IgnoreCase);
        const QString Wanted = ToQt(Pattern);
        std::vector<TString> Result;
        for (const QString& Name : Names) {
            if (Matches(Name, Wanted)) {
                Result.push_back(FromQt(Name));
            }
        }
        return Result;
    }
};
TDirSearch DirSearch;
TServiceSlot<IFileSearch> Slot(DirSearch);
}

IFileSearch& FileSearch()
{
    return Slot.Get();
}
void SetFileSearch(IFileSearch* Search)
{
    Slot.Set(Search);
}
