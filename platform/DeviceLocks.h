#pragma once
// The lock files this process holds for its serial ports, as seen from the
// program's end: a link thread stuck in a call that nothing cuts short still
// holds its port's lock, and the process ends without that thread.

// Removes every port lock file this process holds, from any thread.
void ReleaseHeldDeviceLocks();
