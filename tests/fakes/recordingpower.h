#pragma once

#include "toolkit/platform/power.h"

// Counts the power-off requests instead of making them. Installs itself on construction
// and puts the system's service back on destruction.
class TRecordingPower : public IPowerService {
public:
    TRecordingPower() { SetPowerService(this); }
    ~TRecordingPower() override { SetPowerService(nullptr); }
    void PowerOff() override { ++Requests; }

    int Requests = 0;
};
