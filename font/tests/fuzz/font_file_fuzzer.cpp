// Any bytes as a font file: they load exactly when their size is a font's, and then byte for
// byte. Since only two sizes load, the bytes are also laid out as a file of either font (the
// first byte picks it), which is browsed character by character through the glyph editor and
// downloaded.

#include "app/tests/fuzz_check.h"
#include "font/font_download_core.h"
#include "font/font_editor_core.h"
#include "font/glyph_core.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

using namespace tq350::font;

namespace {

// What the font editor dialog does when the user walks through the code list: show each
// character in the glyph editor, and hand the editor's rows back on each change notification.
// Looking must change nothing, even in records whose unused row bits a file has set.
void browse_every_character(const FontTable& table) {
    FontEditorSession session;
    session.load(table);
    const FontGeometry& g = session.geometry();
    GlyphEditor editor;
    editor.attach_window(108, 221);
    editor.set_size(g.width, g.height);
    std::vector<std::uint8_t> rows(g.rows_size);
    for (int code = first_code; code <= last_code; ++code) {
        const GlyphToShow show = session.select_character(code);
        TQ350_FUZZ_CHECK(show.defined == table.is_defined(code));
        if (show.defined) {
            TQ350_FUZZ_CHECK(show.rows.size() == g.rows_size);
            TQ350_FUZZ_CHECK(editor.set_bits(show.rows, g.bytes_per_row, Polarity::ink_is_one));
            editor.commit();
        } else {
            editor.set_size(g.width, g.height);
        }
        TQ350_FUZZ_CHECK(editor.get_bits(rows, g.bytes_per_row, Polarity::ink_is_one));
        session.glyph_changed(rows);
        TQ350_FUZZ_CHECK(!session.symbol_modified());
    }
    TQ350_FUZZ_CHECK(!session.font_modified());
    TQ350_FUZZ_CHECK(session.table() == table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const std::optional<FontTable> loaded = FontTable::from_file_bytes(file);
    TQ350_FUZZ_CHECK(loaded.has_value() == (size == 10976 || size == 3808));
    if (loaded) {
        const auto bytes = loaded->bytes();
        TQ350_FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), file.begin(), file.end()));
    }

    std::vector<std::uint8_t> laid_out;
    if (loaded) {
        laid_out.assign(file.begin(), file.end());
    } else {
        const FontKind kind = size > 0 && (data[0] & 1) ? FontKind::b : FontKind::a;
        laid_out.assign(font_geometry(kind).table_size, 0);
        if (size > 1)
            std::copy_n(data + 1, std::min(size - 1, laid_out.size()), laid_out.begin());
    }
    const std::optional<FontTable> table = FontTable::from_file_bytes(laid_out);
    TQ350_FUZZ_CHECK(table.has_value());

    browse_every_character(*table);
    const DownloadChoices choices{size > 0 && (data[size - 1] & 1),
                                  size > 0 && (data[size - 1] & 2)};
    TQ350_FUZZ_CHECK(build_font_download(*table, choices).size() <= 12128);
    return 0;
}
