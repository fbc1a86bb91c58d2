// The resource header is the one place every identifier is numbered. Two names
// with one number would make one control answer for another.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

TEST(ResourceHeader, HasNoDuplicateIdentifiers) {
    std::ifstream header(TQ350_RESOURCE_HEADER);
    ASSERT_TRUE(header) << TQ350_RESOURCE_HEADER;
    const std::regex define(R"(^\s*#define\s+(ID[DCMRIS]?_\w+)\s+(\d+)\s*$)");
    // Resources share one space, strings another; the main dialog's controls share
    // theirs with the menu commands (both arrive as WM_COMMAND), and each other
    // dialog's controls are numbered within that dialog.
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
        std::string space = "main dialog";
        if (name.starts_with("IDS_"))
            space = "strings";
        else if (name.starts_with("IDD_") || name.starts_with("IDI_") || name.starts_with("IDR_"))
            space = "resources";
        for (const char* dialog : {"MAGSTRIPE", "BARCODE", "BLUETOOTH", "LOGO", "FONT"})
            if (name.starts_with(std::string("IDC_") + dialog + "_"))
                space = dialog;
        const int value = std::stoi(m[2]);
        ++definitions;
        auto [it, inserted] = seen[space].emplace(value, name);
        EXPECT_TRUE(inserted) << name << " and " << it->second << " are both " << value;
    }
    EXPECT_GT(definitions, 50); // the pattern still matches the header
}

std::string file_text(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Every control and command the program's code names is in the resource script,
// so no handler waits for a control that the template lost.
TEST(ResourceScript, HoldsEveryIdentifierTheCodeUses) {
    const std::string header = file_text(TQ350_SOURCE_DIR "/res/resource.h");
    const std::string script = file_text(TQ350_SOURCE_DIR "/res/tq350setup.rc");
    const std::regex used(R"(\b(ID[CM]_\w+))");
    std::set<std::string> names;
    for (const char* folder : {"app", "tools", "logo", "font"})
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(TQ350_SOURCE_DIR) / folder)) {
            if (entry.path().extension() != ".cpp")
                continue;
            const std::string code = file_text(entry.path());
            for (std::sregex_iterator m(code.begin(), code.end(), used), end; m != end; ++m)
                names.insert((*m)[1]);
        }
    EXPECT_GT(names.size(), 80u); // the pattern still finds the code's identifiers
    for (const std::string& name : names) {
        if (!std::regex_search(header, std::regex("#define " + name + "\\b")))
            continue; // a system identifier such as IDC_ARROW
        EXPECT_TRUE(std::regex_search(script, std::regex("\\b" + name + "\\b"))) << name;
    }
}

} // namespace
