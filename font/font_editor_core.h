// The font editor dialog's state without its window: the font table, the
// character on show, and the two questions the dialog asks before it throws
// changes away ("discard symbol changes?" before Null, "discard font changes?"
// before New, a font switch, Load or closing).
//
// The dialog wires it up like this:
//   - every change notification of the glyph editor control: SDM_GETBITS with
//     geometry().bytes_per_row into a rows_size buffer, then glyph_changed();
//   - a selection in the code list: select_character(), then show its answer in
//     the control (SDM_SETBITS and SDM_COMMIT, or SDM_SETSIZE);
//   - New and the font buttons: reset(), then SDM_SETSIZE; Load: load(), then
//     SDM_SETSIZE and select_character(first_code);
//   - Null: SDM_CLEAR, SDM_COMMIT, then current_character_nulled();
//   - a successful Save or download: font_saved().
// The notifications the control raises while the dialog itself shows a glyph
// may reach glyph_changed() or not; either way nothing changes.
#pragma once

#include "font/font_table_core.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tq350::font {

// What the glyph editor has to show for a selected character.
struct GlyphToShow {
    bool defined;                       // false: blank the editor (SDM_SETSIZE)
    std::span<const std::uint8_t> rows; // defined: SDM_SETBITS, then SDM_COMMIT
};

class FontEditorSession {
  public:
    // Font A, every character undefined, code 32 on show, nothing modified.
    FontEditorSession();

    const FontTable& table() const { return table_; }
    FontKind kind() const { return table_.kind(); }
    const FontGeometry& geometry() const { return table_.geometry(); }
    int current_code() const { return current_code_; }

    // The character on show was changed since it was selected, or since the last
    // save or download, and not changed back; Null asks before discarding it.
    bool symbol_modified() const { return symbol_modified_; }
    // The table differs from what the last reset, load, save or successful
    // download left. Comparing contents rather than keeping a sticky flag means
    // undoing an edit, or merely browsing, never leaves a question to ask.
    bool font_modified() const;

    // A new blank font of this kind (New, or switching to the other font).
    void reset(FontKind kind);
    // A font read from a file. Until select_character() the editor shows no
    // glyph of it, and glyph_changed() leaves the table alone.
    void load(FontTable table);

    // A code outside 32..255 shows the current character again.
    GlyphToShow select_character(int code);

    // The editor's working glyph, packed, after any change in it. When the editor
    // shows exactly what the selected record showed (the edit was reverted, the
    // same dot pressed twice, Clear on an undefined character) the record gets
    // back its old bytes, code byte and unseen row bits included; otherwise the
    // character is defined with these rows. Rows of another size are ignored.
    void glyph_changed(std::span<const std::uint8_t> rows);

    // After Null: the character on show becomes undefined. A glyph that was
    // defined when selected leaves zero rows behind; an undefined one keeps the
    // rows it had, so Null on a character that was never drawn changes nothing
    // but its code byte.
    void current_character_nulled();

    // The table reached a file or the printer.
    void font_saved();

  private:
    bool shows_selected_record(std::span<const std::uint8_t> rows) const;
    void start_from(FontTable table, bool glyph_on_show);

    FontTable table_;
    std::vector<std::uint8_t> baseline_;        // table bytes when last unmodified
    std::vector<std::uint8_t> selected_record_; // record of current_code_ when selected
    int current_code_ = first_code;
    bool glyph_on_show_ = true;
    bool symbol_modified_ = false;
};

} // namespace tq350::font
