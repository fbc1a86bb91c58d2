#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/tests/main_dialog_fixture.h"
#include "link/tests/fake_serial_io.h"
#include "res/resource.h"
#include "win32/printer_exchange.h"

namespace tq350::test {
namespace {

using Bytes = std::vector<uint8_t>;

class PrinterCommandTest : public MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        open_dialog();
        SetConnectedState(dialog_, true);
        beeps_.clear();
    }
    // What the command wrote after the greeting.
    Bytes sent() const {
        Bytes all = printer_.written();
        return all.size() >= 3 ? Bytes(all.begin() + 3, all.end()) : Bytes{};
    }
    link::test::FakeSerialIo printer_;
    ModalAnswerer answerer_;
};

TEST_F(PrinterCommandTest, MenuCommandsSendTheirBytes) {
    struct Case {
        int id;
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {IDM_SHORT_TEST, "short test", {0x1B, 0x54}},
        {IDM_LONG_TEST, "long test", {0x1B, 0x2E}},
        {IDM_DELETE_LOGO, "delete logo", {0x1D, 0x2A, 0x00, 0x00, 0x00}},
        {IDM_BEEP, "beep", {0x07}},
        {IDM_FIND_BLACKMARK, "find black mark", {0x0C}},
        {IDM_TURN_OFF, "turn off", {0x1B, 0x2B}},
        {IDM_LOGO_NORMAL, "logo normal", {0x1D, 0x2F, 0x00, 0x1B, 0x4A, 0x50}},
        {IDM_LOGO_DOUBLE_WIDTH, "logo double width", {0x1D, 0x2F, 0x01, 0x1B, 0x4A, 0x50}},
        {IDM_LOGO_DOUBLE_HEIGHT, "logo double height", {0x1D, 0x2F, 0x02, 0x1B, 0x4A, 0x50}},
        {IDM_LOGO_DOUBLED, "logo doubled", {0x1D, 0x2F, 0x03, 0x1B, 0x4A, 0x50}},
        {IDM_SPEED_1200, "1200 bps", {0x1B, 0x53, 0x30}},
        {IDM_SPEED_19200, "19200 bps", {0x1B, 0x53, 0x34}},
        {IDM_SPEED_115200, "115200 bps", {0x1B, 0x53, 0x36}},
        {IDM_TOTAL_RESET,
         "total reset, max 115200",
         {0x1B, 0x5F, 0x1B, 0x53, 0x33, 0x1B, 0x3E, 0x00, 0x1B, 0x2B}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer_.writes.clear();
        command(c.id, 0);
        pump_messages(); // a follow-up query may be posted; the fake printer stays mute
        printer_.writes.resize(std::min<size_t>(printer_.writes.size(), 2));
        EXPECT_EQ(sent(), c.bytes);
    }
}

TEST_F(PrinterCommandTest, SpeedChangeSelectsTheNewSpeedAndQueriesAtIt) {
    Bytes block(32, 0);
    block[0] = 'P';
    printer_.replies = {block, {0x6A, 0x39}, {0x00}};
    command(IDM_SPEED_19200, 0);
    EXPECT_EQ(combo_text(IDC_SPEED), "19200 bps");
    ASSERT_EQ(printer_.states.size(), 1u);
    EXPECT_EQ(printer_.states[0].BaudRate, 9600u) << "sent at the old speed";
    pump_messages();
    ASSERT_EQ(printer_.states.size(), 2u) << "Connect & Get follows";
    EXPECT_EQ(printer_.states[1].BaudRate, 19200u);
    EXPECT_EQ(GetMenuState(GetMenu(dialog_), IDM_SPEED_19200, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_TRUE(answerer_.seen().empty());
}

TEST_F(PrinterCommandTest, TotalResetWithMax57600GoesBackTo9600) {
    SendMessageA(item(IDC_SPEED), CB_SETCURSEL, 6, 0);
    SendMessageA(item(IDC_IRDA_MAX_57600), BM_CLICK, 0, 0);
    command(IDM_TOTAL_RESET, 0);
    EXPECT_EQ(sent(), (Bytes{0x1B, 0x5F, 0x1B, 0x53, 0x33, 0x1B, 0x3E, 0x01, 0x1B, 0x2B}));
    EXPECT_EQ(combo_text(IDC_SPEED), "9600 bps");
}

TEST_F(PrinterCommandTest, AFailedCommandShowsTheMessageAndDisconnects) {
    printer_.refuse_open = true;
    command(IDM_BEEP, 0);
    ASSERT_EQ(answerer_.seen().size(), 1u);
    EXPECT_EQ(answerer_.seen()[0].text, "Can NOT communicate with printer!");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});

    SetConnectedState(dialog_, true);
    printer_.refuse_open = false;
    printer_.write_limit = 0;
    command(IDM_SPEED_19200, 0);
    EXPECT_EQ(combo_text(IDC_SPEED), "9600 bps") << "no speed change after a failed send";
    EXPECT_FALSE(IsWindowEnabled(item(IDC_CONNECT_SET)));
}

TEST_F(PrinterCommandTest, SendCutsLongSequencesIntoPacedChunks) {
    struct Case {
        size_t length;
        std::vector<size_t> writes; // after the greeting
        std::vector<DWORD> sleeps;  // wake, greeting, pacing..., close
    };
    const Case cases[] = {
        {0, {}, {2500, 2, 300}},
        {1, {1}, {2500, 2, 1, 300}},
        {2048, {2048}, {2500, 2, 2048, 300}},
        {2049, {2048, 1}, {2500, 2, 2048, 1, 300}},
        {12128,
         {2048, 2048, 2048, 2048, 2048, 1888},
         {2500, 2, 2048, 2048, 2048, 2048, 2048, 1888, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        printer_.writes.clear();
        printer_.sleeps.clear();
        Bytes data(c.length, 0x55);
        const bool ok = SendCommandSequence(dialog_, chosen_port_, data.data(), data.size());
        EXPECT_EQ(ok, c.length > 0);
        std::vector<size_t> sizes;
        for (size_t i = 1; i < printer_.writes.size(); ++i)
            sizes.push_back(printer_.writes[i].size());
        EXPECT_EQ(sizes, c.writes);
        EXPECT_EQ(printer_.sleeps, c.sleeps);
    }
}

TEST_F(PrinterCommandTest, ALengthOfZeroMeansUpToTheFirstNul) {
    const uint8_t text[] = {0x1B, 0x53, 0x34, 0x00, 0x99};
    EXPECT_TRUE(SendCommandSequence(dialog_, chosen_port_, text, 0));
    EXPECT_EQ(sent(), (Bytes{0x1B, 0x53, 0x34}));
}

// A lost chunk in the middle of a download is a failed download, however the
// last chunk went; each lost chunk beeps and the rest is still sent.
TEST_F(PrinterCommandTest, AnyLostChunkFailsTheSend) {
    Bytes data(12128, 0x55);
    printer_.write_limit = 2047; // every full chunk is cut short; the last one fits
    EXPECT_FALSE(SendCommandSequence(dialog_, chosen_port_, data.data(), data.size()));
    EXPECT_EQ(printer_.writes.size(), 1u + 6u) << "all six chunks were tried";
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>(5, MB_ICONASTERISK));
    EXPECT_TRUE(answerer_.seen().empty());
}

} // namespace
} // namespace tq350::test
