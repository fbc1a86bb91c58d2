// Makes the program's own heap allocations fail on demand, for the paths that
// must survive a full heap. Replaces the global operator new of the test
// executable, so the code under test needs no hook of its own.
#pragma once

#include <cstddef>

namespace tq350::font::test {

// While one lives, every operator new of at least `smallest` bytes throws
// std::bad_alloc. Keep the scope to the messages under test: the test
// framework allocates too.
class FailingAllocations {
  public:
    explicit FailingAllocations(std::size_t smallest);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
    // How many allocations failed so far: a test that expects a failure path
    // checks that one was taken.
    int failures() const;
};

} // namespace tq350::font::test
