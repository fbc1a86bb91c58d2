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
        {"dword 3", kRegDword, {0x03, 0x00, 0x00, 0x00}, 3u},
        {"dword 115200", kRegDword, {0x00, 0xC2, 0x01, 0x00}, 115200u},
        {"dword -1", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFFu},
        {"short dword leaves bytes undefined", kRegDword, {0x03, 0x00}, std::nullopt},
        {"empty dword", kRegDword, {}, std::nullopt},
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

} // namespace
} // namespace tq350
