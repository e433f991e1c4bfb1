// CArbiter: creates one task of every kind registered under COccasionalTask,
// orders them by priority and lets every due task act, one after the other.
#pragma once

#include "update/COccasionalTask.h"

#include <set>

struct CTaskPriorityLess {
    bool operator()(COccasionalTask* a, COccasionalTask* b) const { return a->GetPriority() < b->GetPriority(); }
};

// Ordered by priority; a task whose priority equals one already in the set
// counts as the same task and is not entered.
using CTaskSet = std::set<COccasionalTask*, CTaskPriorityLess>;

class CArbiter {
public:
    // Runs every due task; returns only when the last one has finished. S_OK.
    HRESULT FindAndProcessTask();

    // Fills the set with one new task per registered kind, in registration
    // order. Tasks the set refuses are released at once. S_OK.
    HRESULT CreateOneTaskOfEachKind(CTaskSet& tasks);
};
