#include "font/font_editor_core.h"

#include "testing/hex.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tq350::font {
namespace {

using ::tq350::test::hex;

// Font A with ' ' and 'A' defined ('A' with low bits beyond dot 11 that no editor
// shows), 'B' undefined with rows left in the file, 'C' with a stray code byte.
std::vector<std::uint8_t> sample_font_file() {
    std::vector<std::uint8_t> file(10976, 0x00);
    const auto put = [&](int code, std::vector<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), file.begin() + (code - 32) * 49);
    };
    put(' ', {0x20, 0x18});
    put('A', {0x41, 0x80, 0x1F});
    put('B', {0x00, 0x55, 0x55});
    put('C', {0x99, 0xAA, 0xAA});
    return file;
}

// The session driven as the font editor dialog drives it, starting right after a
// load: a letter selects that character, four hex digits are the top row of the
// glyph the editor reports after a change (the other rows blank), and the words
// are Null, a save and New. Selecting a character makes the editor report what
// it shows, so "A 8010" is browsing to 'A'.
TEST(FontEditorSession, TableHoldsWhatTheEditorShows) {
    struct Case {
        const char* steps;
        int code;
        const char* record_start; // code byte and top row
        bool as_loaded, symbol_modified, font_modified;
    };
    const Case cases[] = {{"0000", ' ', "20 18 00", true, false, false}, // code 32 not shown yet
                          {"A 8010 B 0000 C 0000 A 8010", 'A', "41 80 1F", true, false, false},
                          {"B 0000 4000", 'B', "42 40 00", false, true, true},
                          {"B 0000 4000 0000", 'B', "00 55 55", true, false, false},
                          {"A 8010 8410 8010", 'A', "41 80 1F", true, false, false},
                          {"C 0000 FFF0 0000", 'C', "99 AA AA", true, false, false},
                          {"A 8010 null", 'A', "00 00 00", false, false, true},
                          {"B 0000 4000 null", 'B', "00 55 55", true, false, false},
                          {"A 8010 C010 B 0000 A C010", 'A', "41 C0 10", false, false, true},
                          {"A 8010 C010 save 8010", 'A', "41 80 1F", true, false, true},
                          {"A 8010 C010 new", 'A', "00 00 00", false, false, false}};
    const std::vector<std::uint8_t> file = sample_font_file();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        FontEditorSession session;
        session.load(FontTable::from_file_bytes(file).value());
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            if (step.size() == 1) {
                session.select_character(step[0]);
            } else if (step == "null") {
                session.current_character_nulled();
            } else if (step == "save") {
                session.font_saved();
            } else if (step == "new") {
                session.reset(FontKind::a);
            } else {
                std::vector<std::uint8_t> rows(48, 0x00);
                rows[0] = static_cast<std::uint8_t>(std::stoi(step.substr(0, 2), nullptr, 16));
                rows[1] = static_cast<std::uint8_t>(std::stoi(step.substr(2), nullptr, 16));
                session.glyph_changed(rows);
            }
        }
        EXPECT_EQ(hex(session.table().record(c.code).first(3)), c.record_start);
        const std::span<const std::uint8_t> bytes = session.table().bytes();
        EXPECT_EQ(std::equal(bytes.begin(), bytes.end(), file.begin(), file.end()), c.as_loaded);
        EXPECT_EQ(session.symbol_modified(), c.symbol_modified);
        EXPECT_EQ(session.font_modified(), c.font_modified);
    }
}

} // namespace
} // namespace tq350::font
