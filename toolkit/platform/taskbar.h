#pragma once

class QWidget;

// The taskbar's view of a top-level window: whether it has a button there, and whether
// that button asks for attention (flashes).
class ITaskbar {
public:
    virtual ~ITaskbar() = default;
    virtual void SetSkipTaskbar(QWidget* TopLevel, bool Skip) = 0;
    virtual void SetUrgent(QWidget* TopLevel, bool Urgent) = 0;
};

ITaskbar& Taskbar();
void SetTaskbar(ITaskbar* Taskbar);
