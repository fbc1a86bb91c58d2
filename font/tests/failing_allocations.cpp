#include "font/tests/failing_allocations.h"

#include <cstdlib>
#include <new>

namespace {

std::size_t g_smallest_failing = 0; // 0: nothing fails
int g_failures = 0;

} // namespace

void* operator new(std::size_t size) {
    if (g_smallest_failing != 0 && size >= g_smallest_failing) {
        ++g_failures;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace tq350::font::test {

FailingAllocations::FailingAllocations(std::size_t smallest) {
    g_smallest_failing = smallest;
    g_failures = 0;
}

FailingAllocations::~FailingAllocations() {
    g_smallest_failing = 0;
}

int FailingAllocations::failures() const {
    return g_failures;
}

} // namespace tq350::font::test
