// For the tests that let messages run inside long operations: every block released by `delete` is kept a
// while, filled with a pattern, instead of going back to the heap. A freed object that is read yields the
// pattern (a pointer read from it leads nowhere, so the use fails at once); one that is written to is
// seen when its block is checked.
#pragma once

namespace testing {

// Checks every freed block kept so far and gives them back to the heap; returns how many of them were
// written to after they were freed.
int ReleaseFreedBlocks();

} // namespace testing
