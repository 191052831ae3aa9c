// The calling process's id without a system call per ask: the simulator
// asks at every register transfer (twice), and getpid(2) is not cached by
// the C library. A forked child learns its own id at its first ask.
#pragma once

#include <sys/types.h>

pid_t CurrentProcessId();
