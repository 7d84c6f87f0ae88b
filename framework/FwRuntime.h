#pragma once
// The parts of the C++ run-time this program brings itself (FwRuntime.cpp):
// throw helpers, exception object memory, the caught-exception record.

// Tests: exception objects come from the emergency pool alone, as when the heap
// is exhausted.
void FwRuntimeUseEmergencyPoolOnly(bool only);
// Tests: emergency pool slots holding an exception object now.
int FwRuntimePoolSlotsInUse();
