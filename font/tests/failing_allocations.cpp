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

int with_full_heap(std::size_t smallest, const std::function<void()>& actions) {
    g_smallest_failing = smallest;
    g_failures = 0;
    actions();
    g_smallest_failing = 0;
    return g_failures;
}

} // namespace tq350::font::test
