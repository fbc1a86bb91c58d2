// The real program under Wine against the virtual TQ-350 on a pty mapped as a COM port.
#include "link/tests/e2e_support.h"
#include "res/resource.h"

namespace tq350::e2e {
namespace {

// On COM12, a port above COM9 that opens only by its device path: "Connect & Get", then
// "Connect & Set" and a speed change from the Advanced menu.
TEST_F(EndToEnd, TheLinkGetsSetsAndChangesSpeedOnCom12) {
    VirtualPrinter com12("com12");
    ASSERT_TRUE(com12.set_faults("power_cycle"));
    store_setting("COM Port", 12);
    const Program& program = program_.emplace();
    ASSERT_EQ(program.text(IDC_PORT), "COM12");
    ASSERT_TRUE(connect_and_get(program, com12));
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_EQ(program.text(IDC_PRINTER_NAME), "TQ-350 Mobile Printer 00210");
    EXPECT_EQ(program.text(IDC_STATUS), "Printer is on-line.");
    EXPECT_EQ(program.text(IDC_VOLTAGE), "7.4 V");
    EXPECT_EQ(program.text(IDC_TEMPERATURE), "25\xB0 C");
    for (const JournalEntry& e : com12.entries()) {
        if (e.name == "greeting") {
            // The printer is woken by the raised lines and greeted 2.5 s later.
            EXPECT_GE(e.since_open, 2.45) << e.line;
            EXPECT_LT(e.since_open, 3.0) << e.line;
        }
    }
    EXPECT_EQ(com12.bytes(com12.connection_of("greeting")),
              "1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76");

    // The write, then the query that the program clicks for itself.
    VirtualPrinter set("com12");
    program.click(IDC_CONNECT_SET);
    ASSERT_TRUE(set.wait_closed(2, 2 * kExchangeMs));
    program.sync();
    const int write_conn = set.connection_of("set_switch");
    ASSERT_NE(write_conn, 0);
    EXPECT_EQ(set.bytes(write_conn),
              "1B 40 00 1D 29 01 00 1D 29 02 00 1D 29 03 00 1D 29 04 00 1D 29 05 00 1D 29 07 00 "
              "1D 29 08 00 1B 59 03 1B 78 0A 1B 6C 00 1D 29 07 00 1B 3E 00 1B 2B");
    EXPECT_GT(set.connection_of("info_request"), write_conn);
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));

    // ESC S goes out at the old speed, the printer changes when the connection ends, and the
    // query that follows only gets an answer at the new speed.
    VirtualPrinter speed("com12");
    program.command(IDM_SPEED_19200);
    ASSERT_TRUE(speed.wait_closed(2, 2 * kExchangeMs));
    program.sync();
    EXPECT_EQ(program.message_box(), nullptr);
    EXPECT_EQ(program.text(IDC_SPEED), "19200 bps");
    EXPECT_TRUE(program.enabled(IDC_CONNECT_SET));
    EXPECT_EQ(speed.bytes(speed.connection_of("set_speed")), "1B 40 00 1B 53 34");
    std::string query;
    for (const JournalEntry& e : speed.entries())
        if (e.name == "info_request")
            query = e.line;
    EXPECT_NE(query.find("\"bps\":19200"), std::string::npos) << query;
}

} // namespace
} // namespace tq350::e2e
