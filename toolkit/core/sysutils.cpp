#include "toolkit/core/sysutils.h"

#include <QStringList>

Exception::Exception(QString Message)
    : FMessage(std::move(Message))
    , FUtf8(FMessage.toUtf8())
{
}

QString ErrorBoxText(const QString& Message)
{
    if (!Message.isEmpty() && Message.back() > QLatin1Char('.')) {
        return Message + QLatin1Char('.');
    }
    return Message;
}

QString FormatMessage(const QString& Pattern, const QStringList& Args)
{
    QString Result;
    int Next = 0;
    for (int i = 0; i < Pattern.size(); ++i) {
        if (Pattern[i] == QLatin1Char('%') && i + 1 < Pattern.size()
            && Pattern[i + 1] == QLatin1Char('s')) {
            Result += Next < Args.size() ? Args[Next] : QString();
            ++Next;
            ++i;
        } else {
            Result += Pattern[i];
        }
    }
    return Result;
}
