// The real program as a process: one copy runs, a second start brings it forward and leaves.
#include "link/tests/e2e_support.h"
#include "res/resource.h"

namespace tq350::e2e {
namespace {

// Whether top-level window a lies above b in the stacking order.
bool above(HWND a, HWND b) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == a || w == b)
            return w == a;
    }
    return false;
}

// Starts a second copy, which must leave with code 1 without a window of its own.
void start_second_copy(const Program& first) {
    Program second;
    EXPECT_FALSE(second.started()) << "a second copy runs";
    EXPECT_EQ(second.close_and_wait(), 1u);
    // The copy asked with a sent notification: once a later message to the same
    // thread returns, the running copy has handled it.
    first.sync();
}

TEST(SingleInstance, ASecondStartBringsTheRunningCopyForwardAndLeaves) {
    Program first;
    ASSERT_TRUE(first.started());
    HWND main = first.main();
    ShowWindow(main, SW_MINIMIZE);
    first.sync();
    ASSERT_TRUE(IsIconic(main));
    start_second_copy(first);
    EXPECT_FALSE(IsIconic(main)) << "the running copy restores itself";
    EXPECT_TRUE(IsWindowVisible(main));

    // With the About box open and another window above it, the box comes forward.
    first.command(IDM_ABOUT);
    HWND about = first.wait_for_popup(kMessageCaption);
    ASSERT_NE(about, nullptr);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(above(other, about));
    start_second_copy(first);
    // Above our window in the stacking order. Which window Wine then reports as the
    // foreground one depends on the X server's focus events arriving in time, which
    // a display without a window manager does not promise.
    EXPECT_TRUE(above(about, other));
    DestroyWindow(other);
    EXPECT_EQ(first.close_and_wait(), 1u) << "Cancel ends the running copy normally";
}

} // namespace
} // namespace tq350::e2e
