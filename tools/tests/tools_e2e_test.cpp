// The device-tool dialogs of the real program against the virtual printer.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "link/tests/e2e_support.h"

namespace tq350::e2e {
namespace {

constexpr DWORD kExchangeMs = 30000;
// The read waits for the card to be swiped; without one it would give up after
// 10 s + 100 ms for each of the 256 bytes.
constexpr DWORD kReadMs = 60000;

class ToolsEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        delete_settings();
        store_setting("COM Port", 5);
        ASSERT_TRUE(VirtualPrinter("com5").set_faults("power_cycle"));
    }
    void TearDown() override { delete_settings(); }

    // Connects, so that the Advanced menu is there, and opens one of its dialogs.
    HWND open_tool(Program& program, VirtualPrinter& printer, int command, const char* caption) {
        EXPECT_TRUE(connect_and_get(program, printer, kExchangeMs));
        program.command(command);
        return program.wait_for_popup(caption, kExchangeMs);
    }

    static std::string text(HWND dialog, int id) {
        char buffer[300] = {};
        GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
        return buffer;
    }
};

TEST_F(ToolsEndToEnd, BarcodeIsPrintedAsTyped) {
    VirtualPrinter com5("com5");
    Program program;
    ASSERT_TRUE(program.started());
    HWND barcode = open_tool(program, com5, IDM_BARCODE, "Barcode");
    ASSERT_NE(barcode, nullptr);
    SetDlgItemTextA(barcode, IDC_BARCODE_DATA, "TQ350");
    SendDlgItemMessageA(barcode, IDC_BARCODE_TYPE, CB_SETCURSEL, 4, 0); // CODE 39
    SendDlgItemMessageA(barcode, IDC_BARCODE_TEXT_POSITION, CB_SETCURSEL, 2, 0);
    const int closed = com5.closed_connections();
    PostMessageA(barcode, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(com5.wait_for([&](const auto&) { return com5.closed_connections() > closed; },
                              kExchangeMs));
    std::string barcode_line;
    int conn = 0;
    for (const JournalEntry& e : com5.entries()) {
        if (e.name == "barcode") {
            barcode_line = e.line;
            conn = e.conn;
        }
    }
    EXPECT_NE(barcode_line.find("TQ350"), std::string::npos) << barcode_line;
    EXPECT_EQ(connection_bytes(com5.entries(), conn),
              "1B 40 00 1D 77 03 1D 68 A2 1D 66 00 1D 48 02 1D 6B 45 05 54 51 33 35 30 1B 4A 50");
    program.sync();
    EXPECT_TRUE(IsWindow(barcode)) << "the dialog stays open for the next barcode";
    PostMessageA(barcode, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(ToolsEndToEnd, MagstripeReadsThreeTracks) {
    VirtualPrinter com5("com5");
    Program program;
    ASSERT_TRUE(program.started());
    HWND reader = open_tool(program, com5, IDM_MAGSTRIPE, "Test Magstripe Reader");
    ASSERT_NE(reader, nullptr);
    for (int id : {IDC_MAGSTRIPE_TRACK1, IDC_MAGSTRIPE_TRACK2, IDC_MAGSTRIPE_TRACK3})
        SendDlgItemMessageA(reader, id, BM_CLICK, 0, 0);
    const int closed = com5.closed_connections();
    PostMessageA(reader, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(
        com5.wait_for([&](const auto&) { return com5.closed_connections() > closed; }, kReadMs));
    program.sync();
    EXPECT_EQ(text(reader, IDC_MAGSTRIPE_TEXT1),
              "%B4111111111111111^TQ350/TEST CARD^2912101000000000000000000?");
    EXPECT_EQ(text(reader, IDC_MAGSTRIPE_TEXT2), ";4111111111111111=29121010000000000000?");
    EXPECT_EQ(text(reader, IDC_MAGSTRIPE_TEXT3),
              ";011234567890123445=724724000000000000000000000000000000000000000000000000?");
    std::string request;
    for (const JournalEntry& e : com5.entries())
        if (e.name == "magstripe_request")
            request = e.hex;
    EXPECT_EQ(request, "1B 3F 0F 00");
    EXPECT_EQ(GetLastActivePopup(program.main()), reader) << "no message";
    PostMessageA(reader, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

} // namespace
} // namespace tq350::e2e
