#include "toolkit/core/filepath.h"

#include <algorithm>
#include <utility>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <string>
#endif

namespace {

#ifdef _WIN32
using TStat = struct _stat64;

std::wstring NativeName(TStringView Name)
{
    return std::wstring(Name.begin(), Name.end());
}
#else
using TStat = struct stat;

std::string NativeName(TStringView Name)
{
    return StringToUtf8(Name);
}
#endif

TFileKind KindOf(const TStat& Info)
{
    if ((Info.st_mode & S_IFMT) == S_IFREG) {
        return TFileKind::Regular;
    }
    return (Info.st_mode & S_IFMT) == S_IFDIR ? TFileKind::Folder : TFileKind::Other;
}

} // namespace

TFileKind FileKindOf(TStringView Name)
{
    TStat Info;
#ifdef _WIN32
    const bool Found = !Name.empty() && _wstat64(NativeName(Name).c_str(), &Info) == 0;
#else
    const bool Found = !Name.empty() && stat(NativeName(Name).c_str(), &Info) == 0;
#endif
    return Found ? KindOf(Info) : TFileKind::None;
}

bool TFileReader::Open(TStringView Name)
{
    if (FFile) {
        std::fclose(std::exchange(FFile, nullptr));
    }
    if (Name.empty()) {
        return false;
    }
#ifdef _WIN32
    FFile = _wfopen(NativeName(Name).c_str(), L"rb");
#else
    FFile = std::fopen(NativeName(Name).c_str(), "rbe");
#endif
    return FFile != nullptr;
}

TFileReader::~TFileReader()
{
    if (FFile) {
        std::fclose(FFile);
    }
}

std::ptrdiff_t TFileReader::Read(void* Buffer, std::size_t Size)
{
    if (!FFile) {
        return -1;
    }
    const std::size_t Count = std::fread(Buffer, 1, Size, FFile);
    if (Count == 0 && std::ferror(FFile)) {
        return -1;
    }
    return std::ptrdiff_t(Count);
}

std::int64_t TFileReader::Size() const
{
    TStat Info;
#ifdef _WIN32
    const bool Known = FFile && _fstat64(_fileno(FFile), &Info) == 0;
#else
    const bool Known = FFile && fstat(fileno(FFile), &Info) == 0;
#endif
    return Known && KindOf(Info) == TFileKind::Regular ? std::int64_t(Info.st_size) : -1;
}

TFileReader::TReadAll TFileReader::ReadAll(std::vector<std::uint8_t>& Data, std::size_t Limit)
{
    Data.clear();
    const std::int64_t Known = Size();
    if (Known > std::int64_t(Limit)) {
        return TReadAll::TooLarge;
    }
    // The known size and one byte, which finds the end in one more read; pieces that
    // double for a file of no known size.
    std::size_t Capacity = Known > 0 ? std::size_t(Known) + 1 : 64 * 1024;
    std::size_t Used = 0;
    for (;;) {
        Data.resize(std::min(Capacity, Limit + 1));
        while (Used < Data.size()) {
            const std::ptrdiff_t Count = Read(Data.data() + Used, Data.size() - Used);
            if (Count <= 0) {
                Data.resize(Count < 0 ? 0 : Used);
                return Count < 0 ? TReadAll::Failed : TReadAll::Done;
            }
            Used += std::size_t(Count);
        }
        if (Used > Limit) {
            Data.clear();
            return TReadAll::TooLarge;
        }
        Capacity = Used * 2;
    }
}
