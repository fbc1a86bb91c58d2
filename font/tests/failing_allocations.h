// Makes the program's own heap allocations fail on demand, for the paths that
// must survive a full heap. Replaces the global operator new of the test
// executable (in a file of its own, so that no caller sees it paired with free),
// so the code under test needs no hook of its own.
#pragma once

#include <cstddef>
#include <functional>

namespace tq350::font::test {

// Runs the actions with every operator new of at least `smallest` bytes throwing
// std::bad_alloc; the number that failed. Keep the actions to the messages under
// test: the test framework allocates too.
int with_full_heap(std::size_t smallest, const std::function<void()>& actions);

} // namespace tq350::font::test
