// The resource header is the one place every identifier is numbered. Two names
// with one number would make one control answer for another.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

TEST(ResourceHeader, HasNoDuplicateIdentifiers) {
    std::ifstream header(TQ350_RESOURCE_HEADER);
    ASSERT_TRUE(header) << TQ350_RESOURCE_HEADER;
    const std::regex define(R"(^\s*#define\s+(ID[DCMRIS]?_\w+)\s+(\d+)\s*$)");
    // Dialogs, controls, commands and icons share one number space per kind;
    // string numbers and the counts that describe string ranges live apart.
    std::map<std::string, std::map<int, std::string>> seen;
    int definitions = 0;
    std::string line;
    while (std::getline(header, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, define))
            continue;
        const std::string name = m[1];
        if (name.ends_with("_COUNT"))
            continue;
        const std::string space = name.starts_with("IDS_") ? "strings" : "resources";
        const int value = std::stoi(m[2]);
        ++definitions;
        auto [it, inserted] = seen[space].emplace(value, name);
        EXPECT_TRUE(inserted) << name << " and " << it->second << " are both " << value;
    }
    EXPECT_GT(definitions, 50); // the pattern still matches the header
}

} // namespace
