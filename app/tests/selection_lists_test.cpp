#include "app/selection_lists.h"
#include "app/settings_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace tq350 {
namespace {

TEST(Strtol32, FollowsTheCLibraryRules) {
    struct Case {
        std::string text;
        int32_t expected;
    };
    const Case cases[] = {
        {"3", 3},
        {"\t+9", 9},
        {"-4", -4},
        {"12abc", 12},
        {"", 0},
        {"- 1", 0},
        {"2147483648", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(strtol32(c.text), c.expected);
    }
}

// The drop-down lists as the user reads them and the values behind them.
TEST(SpeedAndDensityLists, ShowTheirItemsInOrder) {
    const auto shown = [](std::span<const ListItem> items) {
        std::string text;
        for (const ListItem& item : items)
            text += std::string(item.text) + "=" + std::to_string(item.data) + ";";
        return text;
    };
    EXPECT_EQ(shown(kSpeedItems), "1200 bps=1200;2400 bps=2400;4800 bps=4800;9600 bps=9600;"
                                  "19200 bps=19200;57600 bps=57600;115200 bps=115200;");
    EXPECT_EQ(shown(kDensityItems), "70 %=70;80 %=80;90 %=90;100 %=100;120 %=120;150 %=150;");
}

std::span<const char> bytes_of(const std::string& s) {
    return std::span(s.data(), s.size());
}

TEST(AcceptPortEntry, ListsOnlyComWithANonzeroNumber) {
    struct Case {
        const char* name;
        uint32_t type;
        std::string data; // as received, terminator included where the driver stored one
        std::optional<std::string> port;
        int32_t number;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"COM12", kRegSz, "COM12\0"s, "COM12", 12},
        {"COM alone", kRegSz, "COM\0"s, std::nullopt, 0},
        {"COM0", kRegSz, "COM0\0"s, std::nullopt, 0},
        {"lower case com5", kRegSz, "com5\0"s, std::nullopt, 0},
        {"leading blank", kRegSz, " COM3\0"s, std::nullopt, 0},
        {"blank after COM", kRegSz, "COM 4\0"s, "COM 4", 4},
        {"trailing text", kRegSz, "COM7abc\0"s, "COM7abc", 7},
        {"REG_BINARY", kRegBinary, "COM3\0"s, std::nullopt, 0},
        {"no terminator", kRegSz, "COM8"s, "COM8", 8},
        {"text ends at the first NUL", kRegSz, "COM9\0COM1"s, "COM9", 9},
        {"empty", kRegSz, ""s, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<PortEntry> entry = accept_port_entry(c.type, bytes_of(c.data));
        ASSERT_EQ(entry.has_value(), c.port.has_value());
        if (entry) {
            EXPECT_EQ(entry->name, *c.port);
            EXPECT_EQ(entry->number, c.number);
        }
    }
}

TEST(AcceptPortEntry, ABufferFullOfDigitsWithoutTerminatorStaysInsideIt) {
    // What an oversized or unterminated driver entry leaves in the 512-byte buffer.
    std::string full = "COM" + std::string(kPortEnumBufferSize - 3, '5');
    std::optional<PortEntry> entry = accept_port_entry(kRegSz, bytes_of(full));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name.size(), kPortEnumBufferSize);
    EXPECT_EQ(entry->number, 2147483647);
}

} // namespace
} // namespace tq350
