#include "toolkit/platform/notifyarea.h"

#include <algorithm>

namespace {
TNotifyAreaClient& Client()
{
    static TNotifyAreaClient Value;
    return Value;
}
}

void SetNotifyAreaClient(const TNotifyAreaClient& Value)
{
    Client() = Value;
}
const TNotifyAreaClient& NotifyAreaClient()
{
    return Client();
}

TString TNotifyIconData::Tip() const
{
    size_t Length = 0;
    while (Length < szTip.size() && szTip[Length] != 0) {
        ++Length;
    }
    return TString(szTip.data(), Length);
}

void TNotifyIconData::SetTip(TStringView Text)
{
    size_t Length = std::min(Text.size(), size_t(NotifyIconTipSize - 1));
    // A tip cut between the two halves of a character outside the basic plane would end
    // with a lone high surrogate, which no tray can draw: leave out the whole character.
    if (Length < Text.size() && Length > 0 && Text[Length - 1] >= 0xD800
        && Text[Length - 1] <= 0xDBFF) {
        --Length;
    }
    std::copy_n(Text.begin(), Length, szTip.begin());
    szTip[Length] = 0;
}
