#pragma once

#include "toolkit/core/types.h"

// The taskbar's view of a top-level window: whether it has a button there, and whether
// that button asks for attention (flashes).
class ITaskbar {
public:
    virtual ~ITaskbar() = default;
    virtual void SetSkipTaskbar(TWindowHandle TopLevel, bool Skip) = 0;
    virtual void SetUrgent(TWindowHandle TopLevel, bool Urgent) = 0;
};

ITaskbar& Taskbar();
void SetTaskbar(ITaskbar* Taskbar);
