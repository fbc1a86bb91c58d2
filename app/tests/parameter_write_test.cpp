#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/tests/main_dialog_fixture.h"
#include "link/tests/fake_serial_io.h"

namespace tq350::test {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kGreeting{0x1B, 0x40, 0x00};

class ConnectAndSetTest : public MainDialogTest {
  protected:
    link::test::FakeSerialIo printer_;
    ModalAnswerer answerer_;
};

TEST_F(ConnectAndSetTest, WritesTheDefaultsSavesAndQueriesAgain) {
    open_dialog();
    SetConnectedState(dialog_, true);
    Bytes block(32, 0);
    block[0] = 'P';
    printer_.replies = {block, {0x6A, 0x39}, {0x00}};
    command(IDC_CONNECT_SET);
    ASSERT_EQ(printer_.writes.size(), 2u);
    EXPECT_EQ(printer_.writes[0], kGreeting);
    EXPECT_EQ(printer_.writes[1].size(), 46u) << "one write; its bytes are the core's table";
    EXPECT_EQ(stored_dword("Density"), 100u) << "saved after the write";
    EXPECT_EQ(printer_.opened.size(), 1u) << "the query is posted, not run inside";

    pump_messages();
    EXPECT_EQ(printer_.opened.size(), 2u) << "Connect & Get clicked afterwards";
    EXPECT_EQ(printer_.writes.size(), 6u);
    EXPECT_TRUE(answerer_.seen().empty());
}

TEST_F(ConnectAndSetTest, SendsWhatTheControlsShow) {
    open_dialog();
    SetConnectedState(dialog_, true);
    HWND switches = item(IDC_SWITCHES);
    SetListItemChecked(switches, 0, true);
    SetListItemChecked(switches, 5, true); // no text: never sent
    SetListItemChecked(switches, 7, true);
    SendMessageA(item(IDC_IRDA_RAW), BM_CLICK, 0, 0); // also checks switch 7
    SendMessageA(item(IDC_IRDA_MAX_57600), BM_CLICK, 0, 0);
    SendMessageA(item(IDC_DENSITY), CB_SETCURSEL, 0, 0); // 70 %
    SendMessageA(item(IDC_AUTO_OFF_SPIN), UDM_SETPOS, 0, 60);
    SendMessageA(item(IDC_BLACK_MARK), BM_CLICK, 0, 0);
    command(IDC_CONNECT_SET);
    ASSERT_EQ(printer_.writes.size(), 2u);
    EXPECT_EQ(printer_.writes[1],
              (Bytes{0x1D, 0x29, 0x01, 0x01, 0x1D, 0x29, 0x02, 0x00, 0x1D, 0x29, 0x03, 0x00,
                     0x1D, 0x29, 0x04, 0x00, 0x1D, 0x29, 0x05, 0x00, 0x1D, 0x29, 0x07, 0x01,
                     0x1D, 0x29, 0x08, 0x01, 0x1B, 0x59, 0x00, 0x1B, 0x78, 0x3C, 0x1B, 0x6C,
                     0x01, 0x1D, 0x29, 0x07, 0x01, 0x1B, 0x3E, 0x01, 0x1B, 0x2B}));
    EXPECT_EQ(stored_dword("Switch8"), 1u);
    EXPECT_EQ(stored_dword("IrDA protocol"), 0u);
}

TEST_F(ConnectAndSetTest, AFailedWriteDisconnectsAndSavesNothing) {
    struct Case {
        const char* name;
        bool refuse_open;
        size_t write_limit;
        size_t boxes;
    };
    const Case cases[] = {
        {"port cannot be opened", true, SIZE_MAX, 1},
        {"parameters cut short", false, 45, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open_dialog();
        SetConnectedState(dialog_, true);
        printer_.refuse_open = c.refuse_open;
        printer_.write_limit = c.write_limit;
        printer_.opened.clear();
        const size_t boxes = answerer_.seen().size();
        beeps_.clear();
        command(IDC_CONNECT_SET);
        pump_messages();
        EXPECT_EQ(answerer_.seen().size(), boxes + c.boxes);
        EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
        EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
        EXPECT_EQ(stored_dword("Density"), std::nullopt);
        EXPECT_EQ(printer_.opened.size(), 1u) << "no query follows";
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

} // namespace
} // namespace tq350::test
