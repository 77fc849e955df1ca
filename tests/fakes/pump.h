#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

// Runs the window thread's events until Condition holds. The bound only keeps a broken
// build from hanging: the condition comes from the workers' own progress, not from time.
template <class F>
bool PumpUntil(F Condition, int BoundMs = 30000)
{
    QDeadlineTimer Deadline(BoundMs);
    while (!Condition()) {
        if (Deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
