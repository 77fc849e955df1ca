#include "toolkit/platform/filesearch.h"
#include "toolkit/platform/serviceslot.h"

#include <QDir>

namespace {
class TDirSearch : public IFileSearch {
public:
    QStringList FindFiles(const QString& Folder, const QString& Pattern) const override
    {
        QDir Dir(Folder);
        if (!Dir.exists()) {
            return {};
        }
        // Every kind of entry (hidden, system, folders) whose name matches, case-insensitive,
        // in name order so that the list reads the same on every file system.
        return Dir.entryList(QStringList { Pattern },
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDir::Name | QDir::IgnoreCase);
    }
};
TDirSearch DirSearch;
TServiceSlot<IFileSearch> Slot(DirSearch);
}

IFileSearch& FileSearch() { return Slot.Get(); }
void SetFileSearch(IFileSearch* Search) { Slot.Set(Search); }
