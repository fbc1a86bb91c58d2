// Main of every Wine test executable.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/control_classes.h"
#include "app/tests/win_test_support.h"

namespace {

// A crash must fail the run with a readable line, not hang in a debugger.
LONG WINAPI report_crash(EXCEPTION_POINTERS* info) {
    fprintf(stderr, "\nCRASH: exception 0x%08lx at %p\n",
            static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
            info->ExceptionRecord->ExceptionAddress);
    fflush(stderr);
    ExitProcess(3);
}

} // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(report_crash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    tq350::test::install_gui_object_hooks();
    InitCommonControls();
    tq350::RegisterControlClasses(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
