// What the event pump leaves to the system it runs on: one implementation
// per platform (env.cc, windows/env_windows.cc). Called on the thread that
// pumps, from EventPump::DoEvents only.
#ifndef VANTREL_PLATFORM_SYSTEM_EVENTS_H_
#define VANTREL_PLATFORM_SYSTEM_EVENTS_H_

namespace vantrel::platform {

// Delivers the system's pending events (window messages on Windows; nothing
// where the host has none of the system's windows).
void HandleSystemEvents();

// Waits a short while (about a millisecond) for something to do, when no
// transfer was waited on.
void IdleWait();

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_SYSTEM_EVENTS_H_
