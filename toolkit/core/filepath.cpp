#include "toolkit/core/filepath.h"

std::filesystem::path PathOf(TStringView Name)
{
#ifdef _WIN32
    return std::filesystem::path(std::wstring(Name.begin(), Name.end()));
#else
    return std::filesystem::path(StringToUtf8(Name));
#endif
}
