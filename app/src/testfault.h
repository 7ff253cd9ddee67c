#pragma once

/// A test-only switch: when the environment variable DATALINK_TEST_FAULT is
/// "segv" (a write through a null pointer) or "stackoverflow" (unbounded
/// recursion), provokes that fault on the calling thread; otherwise does
/// nothing. The entry calls it once, right after the process objects and the
/// crash-report version exist, so that tests can check the real executable's
/// fault path end to end.
void provokeTestFault();
