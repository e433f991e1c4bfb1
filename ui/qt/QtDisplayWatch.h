// QtDisplayWatch: what happens when Qt loses its display. Qt ends the
// process itself when the X server goes away under it (exit code 1) or when
// its platform cannot connect while it starts (an abort); the notifier always
// ends with 0. The watch listens to Qt's messages: when the display's
// connection is found broken (or Qt gives up while starting), it ends the
// process at once with 0. Nothing is left half-done by that: every write to
// the store is a transaction of its own, so the store keeps its last
// committed state, and the single-instance lock goes with the process.
#pragma once

class QtDisplayWatch {
public:
    // Installs the watch on Qt's messages; once per process, before Qt starts.
    static void Install();
    // While Qt's application object is being made, any fatal message means
    // that no display could be had.
    static void SetStarting(bool starting);
};
