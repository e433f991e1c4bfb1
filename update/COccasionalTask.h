// COccasionalTask: the interface of the notifier's occasional tasks. Each
// kind registers a factory under this type; the arbiter makes one task of
// every kind, asks each whether it is due and lets the due ones act. It
// lives with the update layer, the lowest layer that has a task kind.
#pragma once

#include "platform/kernel32/WinError.h"

class COccasionalTask {
public:
    // Writes 1 to needToRun when the task wants to act now; anything else is no.
    virtual HRESULT DoYouNeedToRun(int& needToRun) = 0;
    // Does the task's work, synchronously (a modal dialog may stay open).
    virtual HRESULT PerformAction() = 0;
    // The place in the running order; smaller runs first.
    virtual int GetPriority() = 0;
    // The arbiter releases the tasks it made through this pointer.
    virtual ~COccasionalTask() = default;
};
