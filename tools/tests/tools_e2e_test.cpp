// The device-tool dialogs of the real program against the virtual printer.
#include "link/tests/e2e_support.h"
#include "res/resource.h"

namespace tq350::e2e {
namespace {

class ToolsEndToEnd : public EndToEnd {
  protected:
    // Connects, so that the Advanced menu is there, and opens one of its dialogs.
    HWND open_tool(int command, const char* caption) {
        const Program* program = connected();
        if (!program)
            return nullptr;
        program->command(command);
        return program->wait_for_popup(caption);
    }
};

TEST_F(ToolsEndToEnd, BarcodeIsPrintedAsTyped) {
    HWND barcode = open_tool(IDM_BARCODE, "Barcode");
    ASSERT_NE(barcode, nullptr);
    SetDlgItemTextA(barcode, IDC_BARCODE_DATA, "TQ350");
    SendDlgItemMessageA(barcode, IDC_BARCODE_TYPE, CB_SETCURSEL, 4, 0); // CODE 39
    SendDlgItemMessageA(barcode, IDC_BARCODE_TEXT_POSITION, CB_SETCURSEL, 2, 0);
    VirtualPrinter journal("com5");
    PostMessageA(barcode, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(journal.wait_closed(1));
    EXPECT_EQ(journal.bytes(journal.connection_of("barcode")),
              "1B 40 00 1D 77 03 1D 68 A2 1D 66 00 1D 48 02 1D 6B 45 05 54 51 33 35 30 1B 4A 50");
    program_->sync();
    EXPECT_TRUE(IsWindow(barcode)) << "the dialog stays open for the next barcode";
}

TEST_F(ToolsEndToEnd, MagstripeReadsThreeTracks) {
    HWND reader = open_tool(IDM_MAGSTRIPE, "Test Magstripe Reader");
    ASSERT_NE(reader, nullptr);
    for (int id : {IDC_MAGSTRIPE_TRACK1, IDC_MAGSTRIPE_TRACK2, IDC_MAGSTRIPE_TRACK3})
        SendDlgItemMessageA(reader, id, BM_CLICK, 0, 0);
    VirtualPrinter journal("com5");
    PostMessageA(reader, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // The read waits for the card to be swiped; without one it would give up after
    // 10 s + 100 ms for each of the 256 bytes.
    ASSERT_TRUE(journal.wait_closed(1, 2 * kExchangeMs));
    program_->sync();
    const char* tracks[] = {
        "%B4111111111111111^TQ350/TEST CARD^2912101000000000000000000?",
        ";4111111111111111=29121010000000000000?",
        ";011234567890123445=724724000000000000000000000000000000000000000000000000?"};
    for (int k = 0; k < 3; ++k) {
        char text[300] = {};
        GetDlgItemTextA(reader, IDC_MAGSTRIPE_TEXT1 + k, text, sizeof text);
        EXPECT_EQ(std::string(text), tracks[k]);
    }
    EXPECT_EQ(journal.bytes(journal.connection_of("magstripe_request")), "1B 40 00 1B 3F 0F 00");
    EXPECT_EQ(GetLastActivePopup(program_->main()), reader) << "no message";
}

TEST_F(ToolsEndToEnd, BluetoothAddressIsSent) {
    HWND dialog = open_tool(IDM_BLUETOOTH_NUMBER, "Bluetooth address");
    ASSERT_NE(dialog, nullptr);
    const char* bytes[] = {"00", "A0", "96", "1C", "2B", "3D"};
    for (int i = 0; i < 6; ++i)
        SetDlgItemTextA(dialog, IDC_BLUETOOTH_BYTE1 + i, bytes[i]);
    SendDlgItemMessageA(dialog, IDC_BLUETOOTH_SHOW_BARCODE, BM_SETCHECK, BST_CHECKED, 0);
    VirtualPrinter journal("com5");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(journal.wait_closed(1));
    // ESC < and "x00A0961C2B3D" as text.
    EXPECT_EQ(journal.bytes(journal.connection_of("bluetooth_address")),
              "1B 40 00 1B 3C 78 30 30 41 30 39 36 31 43 32 42 33 44");
}

} // namespace
} // namespace tq350::e2e
