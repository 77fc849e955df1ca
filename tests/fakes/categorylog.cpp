#include "tests/fakes/categorylog.h"

#include <QLoggingCategory>

namespace {
TCategoryLog* GActive = nullptr;
}

TCategoryLog::TCategoryLog(const char* Category)
    : FCategory(Category)
{
    GActive = this;
    FPrevious = qInstallMessageHandler(Handler);
    QLoggingCategory::setFilterRules(
        QString::fromLatin1(FCategory) + QStringLiteral(".debug=true"));
}

TCategoryLog::~TCategoryLog()
{
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(FPrevious);
    GActive = nullptr;
}

void TCategoryLog::Handler(
    QtMsgType Type, const QMessageLogContext& Context, const QString& Message)
{
    TCategoryLog* Log = GActive;
    if (Log && Context.category && Log->FCategory == Context.category) {
        QMutexLocker Lock(&Log->FMutex);
        Log->FMessages << Message;
    }
    if (Log && Log->FPrevious) {
        Log->FPrevious(Type, Context, Message);
    }
}

QStringList TCategoryLog::Messages() const
{
    QMutexLocker Lock(&FMutex);
    return FMessages;
}

int TCategoryLog::Count(const QString& Start) const
{
    QMutexLocker Lock(&FMutex);
    int Result = 0;
    for (const QString& Message : FMessages) {
        Result += Message.startsWith(Start) ? 1 : 0;
    }
    return Result;
}
