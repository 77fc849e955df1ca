#include "toolkit/platform/filesearch.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

#include <algorithm>

namespace {
bool SameLetter(char16_t A, char16_t B)
{
    const auto* WA = reinterpret_cast<const wchar_t*>(&A);
    const auto* WB = reinterpret_cast<const wchar_t*>(&B);
    return A == B || CompareStringOrdinal(WA, 1, WB, 1, TRUE) == CSTR_EQUAL;
}

// "*" for any run of characters, "?" for one, the rest for itself without regard to
// case. The system matches a pattern against the short 8.3 names too ("*.bmp" finds
// "photo.bmpx" through "PHOTO~1.BMP"), so each long name it returns is matched again.
bool Matches(TStringView Name, TStringView Pattern)
{
    size_t N = 0;
    size_t P = 0;
    size_t Star = TStringView::npos; // the last "*" seen, to go back to when a later part fails
    size_t Resume = 0;
    while (N < Name.size()) {
        if (P < Pattern.size() && Pattern[P] == u'*') {
            Star = P++;
            Resume = N;
        } else if (P < Pattern.size() && (Pattern[P] == u'?' || SameLetter(Pattern[P], Name[N]))) {
            ++P;
            ++N;
        } else if (Star != TStringView::npos) {
            P = Star + 1;
            N = ++Resume;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == u'*') {
        ++P;
    }
    return P == Pattern.size();
}

// Whether A comes before B in name order, without regard to case.
bool NameBefore(const TString& A, const TString& B)
{
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(A.data()), int(A.size()),
               reinterpret_cast<const wchar_t*>(B.data()), int(B.size()), TRUE)
        == CSTR_LESS_THAN;
}

// FindFirstFileW and FindNextFileW over Folder\Pattern: every kind of entry (folders,
// hidden and system files), in name order as on Linux (NTFS returns that order, FAT and
// Wine's folders their own).
class TFindFileSearch : public IFileSearch {
public:
    std::vector<TString> FindFiles(const TString& Folder, const TString& Pattern) const override
    {
        if (Pattern.empty() || Folder.find(u'\0') != TString::npos
            || Pattern.find(u'\0') != TString::npos) {
            return {};
        }
        TString Query = Folder;
        if (!Query.empty() && Query.back() != u'\\' && Query.back() != u'/') {
            Query += u'\\';
        }
        Query += Pattern;
        WIN32_FIND_DATAW Entry;
        HANDLE Find = FindFirstFileW(WideOf(Query).c_str(), &Entry);
        if (Find == INVALID_HANDLE_VALUE) {
            return {}; // no match, or no such folder
        }
        std::vector<TString> Names;
        do {
            const TString Name = TextOf(Entry.cFileName);
            if (Name != u"." && Name != u".." && Matches(Name, Pattern)) {
                Names.push_back(Name);
            }
        } while (FindNextFileW(Find, &Entry));
        FindClose(Find);
        std::sort(Names.begin(), Names.end(), NameBefore);
        return Names;
    }
};
TFindFileSearch FindFileSearch;
TServiceSlot<IFileSearch> Slot(FindFileSearch);
}

IFileSearch& FileSearch()
{
    return Slot.Get();
}
void SetFileSearch(IFileSearch* Search)
{
    Slot.Set(Search);
}
