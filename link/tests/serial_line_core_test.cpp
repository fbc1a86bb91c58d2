#include "link/serial_line_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

namespace tq350::link {
namespace {

using tq350::test::hex;

TEST(LineSettings, GreetingIsEscAtAndNul) {
    EXPECT_EQ(hex(port_greeting), "1B 40 00");
}

} // namespace
} // namespace tq350::link
