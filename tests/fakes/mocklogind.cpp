#include "tests/fakes/mocklogind.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {
const QString ConnectionName = QStringLiteral("veludor-test-mock-logind");
const QString Service = QStringLiteral("org.freedesktop.login1");
const QString Path = QStringLiteral("/org/freedesktop/login1");
const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
}

TMockLogind::TMockLogind()
    : FBus(QDBusConnection::connectToBus(QDBusConnection::SystemBus, ConnectionName))
{
}

TMockLogind::~TMockLogind() { QDBusConnection::disconnectFromBus(ConnectionName); }

QList<bool> TMockLogind::PowerOffCalls() const
{
    QDBusMessage Call = QDBusMessage::createMethodCall(
        Service, Path, MockInterface, QStringLiteral("GetMethodCalls"));
    Call << QStringLiteral("PowerOff");
    const QDBusMessage Reply = FBus.call(Call);
    QList<bool> Result;
    if (Reply.type() != QDBusMessage::ReplyMessage || Reply.arguments().isEmpty()) {
        return Result;
    }
    // a(tav): time stamp and arguments of each call
    const QDBusArgument Calls = Reply.arguments().constFirst().value<QDBusArgument>();
    Calls.beginArray();
    while (!Calls.atEnd()) {
        quint64 Stamp = 0;
        QVariantList Arguments;
        Calls.beginStructure();
        Calls >> Stamp >> Arguments;
        Calls.endStructure();
        const QVariant First = Arguments.value(0);
        Result << (First.canConvert<QDBusVariant>() ? First.value<QDBusVariant>().variant().toBool()
                                                    : First.toBool());
    }
    Calls.endArray();
    return Result;
}

void TMockLogind::ClearCalls()
{
    FBus.call(
        QDBusMessage::createMethodCall(Service, Path, MockInterface, QStringLiteral("ClearCalls")));
}

void TMockLogind::SetRefusing(bool Refusing)
{
    QDBusMessage Call
        = QDBusMessage::createMethodCall(Service, Path, MockInterface, QStringLiteral("AddMethod"));
    Call << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PowerOff")
         << QStringLiteral("b") << QString()
         << (Refusing ? QStringLiteral("raise dbus.exceptions.DBusException('refusé', "
                                       "name='org.freedesktop.DBus.Error.AccessDenied')")
                      : QString());
    FBus.call(Call);
}
