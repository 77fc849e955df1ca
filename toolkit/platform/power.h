#pragma once

// Asks the system to power the computer off. The request returns at once; whether the
// system carries it out, refuses it or cannot be reached is not reported to the caller.
class IPowerService {
public:
    virtual ~IPowerService() = default;
    virtual void PowerOff() = 0;
};

IPowerService& PowerService();
// Installs a power service (not owned); nullptr puts the system's back.
void SetPowerService(IPowerService* Service);
