#include "toolkit/platform/fonts.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>
// windows.h names AddFontResourceW this way, which would rename the interface's method.
#undef AddFontResource

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {
namespace fs = std::filesystem;

// A font file is small; anything larger is refused rather than read.
constexpr std::uintmax_t MaxFontBytes = 64 * 1024 * 1024;

bool ReadFile(const fs::path& Name, std::string& Content)
{
    std::error_code Error;
    if (!fs::is_regular_file(Name, Error) || fs::file_size(Name, Error) > MaxFontBytes || Error) {
        return false;
    }
    std::ifstream In(Name, std::ios::binary);
    Content.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    return !In.bad();
}

unsigned Read16(const std::string& D, size_t At)
{
    return At + 2 <= D.size() ? unsigned(std::uint8_t(D[At])) << 8 | std::uint8_t(D[At + 1]) : 0;
}
std::uint32_t Read32(const std::string& D, size_t At)
{
    return std::uint32_t(Read16(D, At)) << 16 | Read16(D, At + 2);
}

// The family name (name 1) of the font whose table directory starts at Font, as GDI
// knows the face: the Windows platform's record (UTF-16, big-endian), US English first.
// Empty when the file does not hold one; every offset is checked against the file.
TString FamilyOf(const std::string& D, size_t Font)
{
    const unsigned Tables = Read16(D, Font + 4);
    size_t Name = 0;
    for (unsigned i = 0; i < Tables; ++i) {
        const size_t Record = Font + 12 + size_t(i) * 16;
        if (Record + 16 > D.size()) {
            break;
        }
        if (D.compare(Record, 4, "name") == 0) {
            Name = Read32(D, Record + 8);
            break;
        }
    }
    if (Name == 0 || Name >= D.size()) {
        return {};
    }
    const unsigned Count = Read16(D, Name + 2);
    const size_t Strings = Name + Read16(D, Name + 4);
    TString Best;
    for (unsigned i = 0; i < Count; ++i) {
        const size_t R = Name + 6 + size_t(i) * 12;
        if (R + 12 > D.size() || Read16(D, R) != 3 || Read16(D, R + 6) != 1) {
            continue;
        }
        const size_t Length = Read16(D, R + 8);
        const size_t At = Strings + Read16(D, R + 10);
        if (At + Length > D.size()) {
            continue;
        }
        TString Family;
        for (size_t k = 0; k + 1 < Length; k += 2) {
            Family += char16_t(Read16(D, At + k));
        }
        if (Best.empty() || Read16(D, R + 4) == 0x409) {
            Best = Family;
        }
    }
    return Best;
}

// The families of a TrueType or OpenType file, or of each font of a collection.
std::vector<TString> FamiliesOf(const std::string& D)
{
    std::vector<TString> Fonts;
    std::vector<size_t> Starts { 0 };
    if (D.compare(0, 4, "ttcf") == 0) {
        Starts.clear();
        const std::uint32_t Count = Read32(D, 8);
        for (std::uint32_t i = 0; i < Count && 12 + size_t(i) * 4 + 4 <= D.size(); ++i) {
            Starts.push_back(Read32(D, 12 + size_t(i) * 4));
        }
    }
    for (const size_t Start : Starts) {
        TString Family = FamilyOf(D, Start);
        if (!Family.empty() && std::find(Fonts.begin(), Fonts.end(), Family) == Fonts.end()) {
            Fonts.push_back(std::move(Family));
        }
    }
    return Fonts;
}

// The digit face for the program only, with no administrator's right. The fonts folder
// is the user's own (%LOCALAPPDATA%\Microsoft\Windows\Fonts), where a user may write:
// the system's folder (the shell's "Fonts" folder) refuses a normal user since Vista.
// The face is added as a private font of the process (AddFontResourceExW with
// FR_PRIVATE), so it is neither shown to other programs nor left behind at exit, and
// no WM_FONTCHANGE goes to the other windows: nothing changed for them.
class TPrivateFonts : public IFontService {
public:
    TString FontsFolder() const override
    {
        PWSTR Path = nullptr;
        TString Folder;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &Path))
            && Path && *Path) {
            Folder = TextOf(Path) + u"\\Microsoft\\Windows\\Fonts\\";
        }
        CoTaskMemFree(Path);
        return Folder;
    }

    bool CopyFontFile(const TString& SourceName, const TString& TargetName) override
    {
        const fs::path Source(WideOf(SourceName));
        const fs::path Target(WideOf(TargetName));
        std::string Content;
        if (!ReadFile(Source, Content)) {
            return false;
        }
        // The same font already there is left alone: a running program holds it open.
        std::string Present;
        if (ReadFile(Target, Present) && Present == Content) {
            return true;
        }
        std::error_code Error;
        fs::create_directories(Target.parent_path(), Error);
        // Written aside and renamed over the old one, so no reader sees half a font.
        fs::path Aside = Target;
        Aside += L".new";
        {
            std::ofstream Out(Aside, std::ios::binary | std::ios::trunc);
            Out.write(Content.data(), std::streamsize(Content.size()));
            Out.close();
            if (!Out) {
                fs::remove(Aside, Error);
                return false;
            }
        }
        fs::rename(Aside, Target, Error);
        if (Error) {
            fs::remove(Aside, Error);
            return false;
        }
        return true;
    }

    std::vector<TString> AddFontResource(const TString& FileName) override
    {
        std::string Content;
        if (FileName.find(u'\0') != TString::npos
            || !ReadFile(fs::path(WideOf(FileName)), Content)) {
            return {};
        }
        if (AddFontResourceExW(WideOf(FileName).c_str(), FR_PRIVATE, nullptr) == 0) {
            return {};
        }
        return FamiliesOf(Content);
    }
};
TPrivateFonts PrivateFonts;
TServiceSlot<IFontService> Slot(PrivateFonts);
}

IFontService& FontService()
{
    return Slot.Get();
}
void SetFontService(IFontService* Service)
{
    Slot.Set(Service);
}
