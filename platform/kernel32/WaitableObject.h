// WaitableObject: a kernel object that the wait functions can wait on.
//
// Every waitable object gives the EventCore that carries its signal; the
// waits take signals through it. Objects that are not waitable (the named
// mutex, process handles, thread handles) are plain KernelObjects, and a wait
// on them fails with ERROR_INVALID_HANDLE.
#pragma once

#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/KernelObject.h"

#include <memory>

namespace platform {

class WaitableObject : public KernelObject {
public:
    virtual std::shared_ptr<EventCore> Core() const = 0;
    // A second object for the same signal (DuplicateHandle), or null when the
    // kind cannot be duplicated.
    virtual WaitableObject* Duplicate() const { return nullptr; }
};

}  // namespace platform
