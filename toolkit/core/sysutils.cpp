#include "toolkit/core/sysutils.h"

Exception::Exception(TString Message)
    : FMessage(std::move(Message))
    , FUtf8(StringToUtf8(FMessage))
{
}

TString ErrorBoxText(TStringView Message)
{
    TString Result(Message);
    if (!Result.empty() && Result.back() > u'.') {
        Result += u'.';
    }
    return Result;
}

TString FormatMessage(TStringView Pattern, std::initializer_list<TStringView> Args)
{
    return Format(Pattern, Args);
}
