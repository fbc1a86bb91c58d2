#include "app/selection_lists.h"
#include "app/settings_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tq350 {
namespace {

TEST(DwordSetting, OnlyFourByteDwordsAreUsable) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> bytes;
        std::optional<uint32_t> expected;
    };
    const Case cases[] = {
        {"dword 115200", kRegDword, {0x00, 0xC2, 0x01, 0x00}, 115200u},
        {"dword -1", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFFu},
        {"short dword leaves bytes undefined", kRegDword, {0x03, 0x00}, std::nullopt},
        {"string", kRegSz, {'3', 0, 0, 0}, std::nullopt},
        {"binary of four bytes", kRegBinary, {0x03, 0, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dword_setting(c.type, c.bytes), c.expected);
    }
}

TEST(AddressSetting, ExactlyThirteenBinaryBytesOrTheDefault) {
    struct Case {
        const char* name;
        std::optional<uint32_t> type;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"stored record", kRegBinary, "x0123456789AB", "x0123456789AB"},
        {"12 bytes", kRegBinary, "x0123456789A", "X000000000000"},
        {"14 bytes", kRegBinary, "x0123456789ABC", "X000000000000"},
        {"string type", kRegSz, "x0123456789AB", "X000000000000"},
        {"absent", std::nullopt, "", "X000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(address_setting(c.type, bytes), c.expected);
    }
}

// Which rows a load applies, from the values stored and the one value whose control refuses it.
TEST(LoadSettingRows, SkipsAbsentValuesAndStopsAtTheFirstRefusal) {
    struct Case {
        const char* name;
        std::map<std::string, uint32_t> stored;
        std::string refused;
        bool result;
        std::vector<std::string> applied;
    };
    const std::map<std::string, uint32_t> all = {
        {"COM Port", 1}, {"COM Speed", 9600}, {"Density", 100},    {"Auto Off", 10},
        {"Label", 0},    {"IrDA max", 1},     {"IrDA protocol", 1}};
    const Case cases[] = {
        {"everything stored",
         all,
         "",
         true,
         {"COM Port", "COM Speed", "Density", "Auto Off", "Label", "IrDA max", "IrDA protocol"}},
        {"nothing stored", {}, "", true, {}},
        {"absent speed is skipped, the rest still loads",
         {{"COM Port", 3}, {"Density", 80}, {"IrDA protocol", 0}},
         "",
         true,
         {"COM Port", "Density", "IrDA protocol"}},
        {"port no longer present stops everything after it", all, "COM Port", false, {}},
        {"refused auto-off keeps the later rows at their defaults",
         all,
         "Auto Off",
         false,
         {"COM Port", "COM Speed", "Density"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> applied;
        const auto stored = [&](const SettingRow& row) -> std::optional<uint32_t> {
            const auto it = c.stored.find(row.value_name);
            return it == c.stored.end() ? std::nullopt : std::optional(it->second);
        };
        const auto apply = [&](const SettingRow& row, uint32_t) {
            if (row.value_name == c.refused)
                return false;
            applied.push_back(row.value_name);
            return true;
        };
        EXPECT_EQ(load_setting_rows(stored, apply), c.result);
        EXPECT_EQ(applied, c.applied);
    }
}

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
