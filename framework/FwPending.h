#pragma once
// A C++ exception caught at a window procedure, kept until the loop that
// dispatched the message can rethrow it: exceptions must not unwind through
// the system's frames.
void FwStorePendingException();
bool FwHasPendingException();
// Rethrows the kept exception (and forgets it); nothing when none is kept.
void FwRethrowPendingException();
