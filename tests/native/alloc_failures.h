// Injected allocation failures for the native suite, in the manner of
// SQLite's malloc tests: this test program replaces the global operator new
// and delete, and a test can make the n-th allocation from now fail, as a
// 32-bit host process out of address space would (std::bad_alloc, or null
// from the nothrow forms).
#pragma once

namespace alloc_failures {

// The n-th (1-based) allocation from now fails; 0 switches it off.
void fail_nth(long n);
// Whether the armed allocation was reached and failed.
bool fired();

}  // namespace alloc_failures
