#include "font/font_editor_core.h"
#include "font/glyph_core.h"

#include "font/tests/hex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tq350::font {
namespace {

using test::hex;

// The glyph editor and the session wired together as the font editor dialog
// wires them, every change notification included. run() takes the user's
// actions: a letter selects that character, "x,y" presses that dot, the rest
// are the dialog's buttons.
struct DialogDouble {
    GlyphEditor editor;
    FontEditorSession session;

    explicit DialogDouble(FontTable font) {
        editor.attach_window(108, 221);
        session.load(std::move(font));
        set_size();
        select(first_code);
    }
    void run(const std::string& actions) {
        std::istringstream words(actions);
        for (std::string word; words >> word;) {
            int x = 0, y = 0;
            if (word.size() == 1) {
                select(word[0]);
            } else if (std::sscanf(word.c_str(), "%d,%d", &x, &y) == 2) {
                notify_if(editor.press(x * editor.cell_size(), y * editor.cell_size()).has_value());
            } else if (word == "fill") {
                notify_if(editor.fill());
            } else if (word == "clear") {
                notify_if(editor.clear());
            } else if (word == "revert") {
                notify_if(editor.revert());
            } else if (word == "null") {
                notify_if(editor.clear());
                editor.commit();
                session.current_character_nulled();
            } else if (word == "save") {
                session.font_saved();
            } else if (word == "new") {
                session.reset(FontKind::a);
                set_size();
            } else {
                FAIL() << "unknown action " << word;
            }
        }
    }
    void select(int code) {
        const GlyphToShow show = session.select_character(code);
        if (show.defined) {
            editor.set_bits(show.rows, session.geometry().bytes_per_row, Polarity::ink_is_one);
            notify_if(true);
            editor.commit();
        } else {
            set_size();
        }
    }
    void set_size() {
        editor.set_size(session.geometry().width, session.geometry().height);
        notify_if(true);
    }
    void notify_if(bool changed) {
        if (changed) {
            std::vector<std::uint8_t> rows(session.geometry().rows_size);
            editor.get_bits(rows, session.geometry().bytes_per_row, Polarity::ink_is_one);
            session.glyph_changed(rows);
        }
    }
};

// Font A with 'A' defined (dots 0 and 11 in the top row, plus low bits the
// editor cannot show), 'B' undefined with rows left in the file, and 'C' with a
// stray code byte.
std::vector<std::uint8_t> sample_font_file() {
    std::vector<std::uint8_t> file(10976, 0x00);
    const auto put = [&](int code, std::vector<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), file.begin() + (code - 32) * 49);
    };
    put('A', {0x41, 0x80, 0x1F});
    put('B', {0x00, 0x55, 0x55});
    put('C', {0x99, 0xAA, 0xAA});
    return file;
}

TEST(FontEditorSession, TableHoldsWhatTheEditorShows) {
    struct Case {
        const char* actions;
        int code;
        const char* record_start; // code byte and top row
        bool as_loaded;
        bool symbol_modified;
        bool font_modified;
    };
    const Case cases[] = {
        {"A B C A", 'A', "41 80 1F", true, false, false},
        {"B 1,0", 'B', "42 40 00", false, true, true},
        {"B 1,0 1,0", 'B', "00 55 55", true, false, false},
        {"A 5,5 5,5", 'A', "41 80 1F", true, false, false},
        {"A 5,5 fill revert", 'A', "41 80 1F", true, false, false},
        {"C clear", 'C', "99 AA AA", true, false, false},
        {"B fill clear", 'B', "00 55 55", true, false, false},
        {"A null", 'A', "00 00 00", false, false, true},
        {"B 1,0 null", 'B', "00 55 55", true, false, false},
        {"A 1,0 B A", 'A', "41 C0 10", false, false, true},
        {"A 1,0 save 1,0", 'A', "41 80 1F", true, false, true},
        {"A 1,0 new", 'A', "00 00 00", false, false, false},
    };
    const std::vector<std::uint8_t> file = sample_font_file();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        DialogDouble dialog(FontTable::from_file_bytes(file).value());
        dialog.run(c.actions);
        const FontTable& table = dialog.session.table();
        EXPECT_EQ(hex(table.record(c.code).first(3)), c.record_start);
        const std::span<const std::uint8_t> bytes = table.bytes();
        EXPECT_EQ(std::equal(bytes.begin(), bytes.end(), file.begin(), file.end()), c.as_loaded);
        EXPECT_EQ(dialog.session.symbol_modified(), c.symbol_modified);
        EXPECT_EQ(dialog.session.font_modified(), c.font_modified);
    }
}

// Load shows code 32 only once the posted selection arrives; the blank glyph
// SDM_SETSIZE shows before that must not overwrite a defined code 32.
TEST(FontEditorSession, LoadKeepsCode32UntilItIsShown) {
    std::vector<std::uint8_t> file(3808, 0x00);
    file[0] = 0x20;
    file[1] = 0x18;
    FontEditorSession session;
    session.load(FontTable::from_file_bytes(file).value());
    session.glyph_changed(std::vector<std::uint8_t>(16, 0x00));
    EXPECT_EQ(hex(session.table().record(32).first(2)), "20 18");
    EXPECT_FALSE(session.font_modified());
    EXPECT_EQ(session.kind(), FontKind::b);
}

} // namespace
} // namespace tq350::font
