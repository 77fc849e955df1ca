#pragma once

#include <QDBusConnection>
#include <QList>

// The mock logind that private_system_bus.py --logind puts on the private system bus:
// the PowerOff calls it received and whether it accepts the next ones.
class TMockLogind {
public:
    TMockLogind();
    ~TMockLogind();

    bool IsConnected() const { return FBus.isConnected(); }
    // The interactive flag of each PowerOff received, in order.
    QList<bool> PowerOffCalls() const;
    void ClearCalls();
    // A refusing logind answers PowerOff with AccessDenied.
    void SetRefusing(bool Refusing);

private:
    QDBusConnection FBus;
};
