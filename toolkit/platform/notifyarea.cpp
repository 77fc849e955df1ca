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

QString TNotifyIconData::Tip() const
{
    int Length = 0;
    while (Length < NotifyIconTipSize && szTip[size_t(Length)] != 0) {
        ++Length;
    }
    return QString::fromUtf16(szTip.data(), Length);
}

void TNotifyIconData::SetTip(const QString& Text)
{
    qsizetype Length = std::min<qsizetype>(Text.size(), NotifyIconTipSize - 1);
    // A tip cut between the two halves of a character outside the basic plane would end
    // with a lone high surrogate, which no tray can draw: leave out the whole character.
    if (Length < Text.size() && Length > 0 && Text.at(Length - 1).isHighSurrogate()) {
        --Length;
    }
    for (qsizetype i = 0; i < Length; ++i) {
        szTip[size_t(i)] = Text.at(i).unicode();
    }
    szTip[size_t(Length)] = 0;
}

TNotifyIconMessage::TNotifyIconMessage(
    quint32 AMsg, quintptr AWParam, qintptr ALParam, const QPoint& APt)
    : QEvent(EventType())
    , Msg(AMsg)
    , WParam(AWParam)
    , LParam(ALParam)
    , Pt(APt)
{
}

QEvent::Type TNotifyIconMessage::EventType()
{
    static const QEvent::Type Type = QEvent::Type(QEvent::registerEventType());
    return Type;
}
