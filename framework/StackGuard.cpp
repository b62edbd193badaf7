// The stack protector's guard value, and what happens when a function finds
// it overwritten, for Kestrin.exe and Tavrix2.dll. libssp draws the value
// from a cryptographic provider that every start would have to load; like
// the /GS cookie of Windows' own compiler, it is drawn here from what differs
// between processes and starts: the time, the process and thread, the tick
// and performance counters, and where the stack lies.
#include <windows.h>

#include <stdint.h>

namespace {

const uintptr_t DEFAULT_GUARD = 0xBB40E64E;
const UINT STACK_BUFFER_OVERRUN = 0xC0000409;

// Before every other constructor, and unprotected itself: the guard changes
// under it.
__attribute__((constructor(101), no_stack_protector)) void InitStackGuard();

} // namespace

extern "C" {

uintptr_t __stack_chk_guard = DEFAULT_GUARD;

// A smashed stack is not to be trusted with handlers, unwinding or a
// message: the process ends at once, as Windows ends one whose cookie fails.
__attribute__((noreturn)) void __stack_chk_fail() {
    TerminateProcess(GetCurrentProcess(), STACK_BUFFER_OVERRUN);
    for (;;) {
    }
}

} // extern "C"

namespace {

void InitStackGuard() {
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uintptr_t guard = time.dwLowDateTime ^ time.dwHighDateTime ^ GetCurrentProcessId() ^
                      (GetCurrentThreadId() << 16) ^ GetTickCount() ^ counter.LowPart ^
                      counter.HighPart ^ reinterpret_cast<uintptr_t>(&time);
    __stack_chk_guard = guard != 0 ? guard : DEFAULT_GUARD;
}

} // namespace
