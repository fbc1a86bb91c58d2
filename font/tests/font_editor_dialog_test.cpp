// The font editor from its real template, over a main dialog from its own, driven
// as a user would: presses in the glyph editor, the list, the buttons, the
// questions and the file dialogs answered from a script, the printer behind a
// scripted serial line. What the font table holds is read back from saved files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "font/tests/failing_allocations.h"
#include "link/tests/fake_serial_io.h"
#include "font/font_editor_dialog.h"
#include "font/glyph_editor_control.h"
#include "font/tests/hex.h"
#include "app/tests/main_dialog_fixture.h"

namespace tq350::font {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::hex;

constexpr const char* kDiscardFont = "Are You sure to discard font changes?";
constexpr const char* kDiscardSymbol = "Are You sure to discard symbol changes?";
constexpr const char* kResetFirst = "Do You want to reset downloadable font first?";
constexpr const char* kPrintTest = "Are You want to print test of downloaded symbols?";

// The preview control as the font editor sees it: it keeps the handle it is
// given and hands back the one before, and remembers both for the test.
WNDPROC g_preview_proc = nullptr;
HBITMAP g_shown = nullptr;
int g_images_set = 0;

LRESULT CALLBACK recording_preview(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == STM_SETIMAGE) {
        HBITMAP previous = g_shown;
        g_shown = reinterpret_cast<HBITMAP>(lparam);
        ++g_images_set;
        return reinterpret_cast<LRESULT>(previous);
    }
    if (message == STM_GETIMAGE)
        return reinterpret_cast<LRESULT>(g_shown);
    return CallWindowProcA(g_preview_proc, window, message, wparam, lparam);
}

std::string temp_folder() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "tq350 font editor test";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The file dialogs take no forward slashes.
std::string windows_path(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The record of a code in a font file, as hex: the code byte, then the rows.
std::string record(const Bytes& file, int code, std::size_t count) {
    const std::size_t size = file.size() == 10976 ? 49 : 17;
    const std::size_t at = static_cast<std::size_t>(code - 32) * size;
    if (file.size() < at + count)
        return "(no such record)";
    return hex(std::span(file).subspan(at, count));
}

class FontEditorTest : public tq350::test::MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        tq350::test::make_file_dialog_caches();
        gui_objects_ = {};
        open_dialog();
        folder_ = temp_folder();
        answerer_.on_open = [this](HWND window) { answer(window); };
        open_editor();
    }
    void TearDown() override {
        close_editor();
        MainDialogTest::TearDown();
    }

    // A fresh editor, questions and beeps counted from here on.
    void open_editor() {
        editor_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FONT_EDITOR),
                                     dialog_, FontEditorDialogProc,
                                     reinterpret_cast<LPARAM>(&chosen_port_));
        ASSERT_NE(editor_, nullptr);
        g_shown = nullptr;
        g_images_set = 0;
        g_preview_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(editor_item(IDC_FONT_PREVIEW), GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(recording_preview)));
        ShowWindow(editor_, SW_SHOW);
        tq350::test::pump_messages();
        seen_from_ = answerer_.seen().size();
        answers_.clear();
        beeps_.clear();
        printer_.writes.clear();
    }
    void close_editor() {
        if (editor_)
            DestroyWindow(editor_);
        editor_ = nullptr;
        tq350::test::pump_messages();
    }
    void reopen_editor() {
        close_editor();
        open_editor();
    }

    HWND editor_item(int id) const { return GetDlgItem(editor_, id); }
    bool open() const { return IsWindowVisible(editor_) != FALSE; }
    bool checked_font(int id) const { return IsDlgButtonChecked(editor_, id) == BST_CHECKED; }

    void click(int id) {
        SendMessageA(editor_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(editor_item(id)));
    }
    // A real click: an automatic radio button moves its check mark before it tells.
    void click_radio(int id) { SendMessageA(editor_item(id), BM_CLICK, 0, 0); }
    void select(int code) {
        HWND list = editor_item(IDC_FONT_CODES);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(code - 32), 0);
        SendMessageA(editor_, WM_COMMAND, MAKEWPARAM(IDC_FONT_CODES, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    // The glyph size the control shows, read from its preview bitmap.
    SIZE glyph_size() {
        HBITMAP dib =
            reinterpret_cast<HBITMAP>(SendMessageA(editor_item(IDC_FONT_GLYPH), SDM_GETDIB, 0, 0));
        BITMAP info{};
        if (!dib || !GetObjectA(dib, sizeof info, &info))
            return SIZE{0, 0};
        DeleteObject(dib);
        return SIZE{info.bmWidth, info.bmHeight};
    }
    void press_dot(int column, int row) {
        const SIZE size = glyph_size();
        RECT client{};
        GetClientRect(editor_item(IDC_FONT_GLYPH), &client);
        ASSERT_GT(size.cx, 0) << "no glyph shown";
        const int cell = std::min(client.right / size.cx, client.bottom / size.cy);
        SendMessageA(editor_item(IDC_FONT_GLYPH), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(column * cell + cell / 2, row * cell + cell / 2));
    }
    // The glyph on show, packed as the font table keeps it.
    std::string shown_rows() {
        const SIZE size = glyph_size();
        Bytes rows(static_cast<std::size_t>(size.cy * ((size.cx + 7) / 8)), 0xAA);
        SendMessageA(editor_item(IDC_FONT_GLYPH), SDM_GETBITS, (size.cx + 7) / 8,
                     reinterpret_cast<LPARAM>(rows.data()));
        return hex(rows);
    }

    // A user's words: "c,r" presses a dot, "#65" selects a code, the rest are buttons.
    void run(const std::string& actions) {
        std::istringstream words(actions);
        for (std::string word; words >> word;) {
            int column = 0, row = 0;
            if (word[0] == '#')
                select(std::stoi(word.substr(1)));
            else if (std::sscanf(word.c_str(), "%d,%d", &column, &row) == 2)
                press_dot(column, row);
            else if (word == "A" || word == "B")
                click_radio(word == "A" ? IDC_FONT_A : IDC_FONT_B);
            else if (const int id = button(word))
                click(id);
            else
                FAIL() << "unknown action " << word;
        }
    }
    static int button(const std::string& word) {
        const std::pair<const char*, int> buttons[] = {
            {"clear", IDC_FONT_CLEAR},
            {"fill", IDC_FONT_FILL},
            {"invert", IDC_FONT_INVERT},
            {"box", IDC_FONT_BOX},
            {"revert", IDC_FONT_REVERT},
            {"null", IDC_FONT_NULL},
            {"load", IDC_FONT_LOAD},
            {"save", IDC_FONT_SAVE},
            {"new", IDC_FONT_NEW},
            {"download", IDC_FONT_DOWNLOAD},
            {"ok", IDOK},
            {"cancel", IDCANCEL},
        };
        for (const auto& [name, id] : buttons)
            if (word == name)
                return id;
        return 0;
    }

    // Answers to the next questions, in order; a question beyond them gets No.
    void answers(const std::vector<int>& buttons) {
        answers_.assign(buttons.begin(), buttons.end());
    }
    // The name typed into the next file dialogs; empty cancels them.
    void file_name(const std::string& path) { file_name_ = path; }
    // The texts of the program's own boxes so far.
    std::vector<std::string> asked() const {
        std::vector<std::string> texts;
        const auto& seen = answerer_.seen();
        for (std::size_t i = seen_from_; i < seen.size(); ++i)
            if (seen[i].caption == kMessageCaption)
                texts.push_back(seen[i].text);
        return texts;
    }

    // The font table, through Save to a scratch file.
    Bytes saved_table() {
        const std::string path = folder_ + "\\table.fnt";
        DeleteFileA(path.c_str());
        file_name(path);
        click(IDC_FONT_SAVE);
        file_name("");
        return read_file(path);
    }

    link::test::FakeSerialIo printer_;
    tq350::test::ModalAnswerer answerer_;
    std::string folder_;
    HWND editor_ = nullptr;
    std::size_t seen_from_ = 0;

  private:
    void answer(HWND window) {
        if (window == editor_)
            return; // the editor itself, activated again
        char caption[64] = {};
        GetWindowTextA(window, caption, sizeof caption);
        // The file dialog's own boxes ("replace it?") are agreed to.
        int button = GetDlgItem(window, IDYES) ? IDYES : IDOK;
        if (GetDlgItem(window, 0xFFFF)) {
            if (std::string(caption) == kMessageCaption) {
                button = answers_.empty() ? IDNO : answers_.front();
                if (!answers_.empty())
                    answers_.pop_front();
            }
        } else if (file_name_.empty()) {
            button = IDCANCEL;
        } else {
            // The explorer-style dialog names its file-name box cmb13, the old one edt1.
            for (int id : {0x47C, 0x480})
                SetDlgItemTextA(window, id, file_name_.c_str());
            button = IDOK;
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }

    std::deque<int> answers_;
    std::string file_name_;
};

TEST_F(FontEditorTest, TheListShowsEveryCodeWithItsNumber) {
    HWND list = editor_item(IDC_FONT_CODES);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 224);
    struct Case {
        int index;
        const char* text;
        int code;
    };
    const Case cases[] = {
        {0, "' '\t  32", 32},     {1, "'!'\t  33", 33},      {33, "'A'\t  65", 65},
        {67, "'c'\t  99", 99},    {68, "'d'\t100", 100},     {95, "'\x7F'\t127", 127},
        {96, "'\x80'\t128", 128}, {223, "'\xFF'\t255", 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        char text[32] = {};
        ASSERT_LT(SendMessageA(list, LB_GETTEXTLEN, c.index, 0), 32);
        SendMessageA(list, LB_GETTEXT, c.index, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::string(text), c.text);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, c.index, 0), c.code);
    }
}

TEST_F(FontEditorTest, OpensOnCode32OfABlankFontA) {
    EXPECT_TRUE(checked_font(IDC_FONT_A));
    EXPECT_FALSE(checked_font(IDC_FONT_B));
    EXPECT_EQ(SendMessageA(editor_item(IDC_FONT_CODES), LB_GETCURSEL, 0, 0), 0);
    const SIZE size = glyph_size();
    EXPECT_EQ(size.cx, 12);
    EXPECT_EQ(size.cy, 24);
    EXPECT_EQ(shown_rows(), hex(Bytes(48, 0x00)));
    EXPECT_EQ(SendMessageA(editor_item(IDC_FONT_GLYPH), SDM_ISMODIFIED, 0, 0), 0);
}

// Only a change that is still there when the dialog closes is worth a question.
TEST_F(FontEditorTest, ClosingAsksOnlyWhenTheFontReallyChanged) {
    struct Case {
        const char* actions;
        std::vector<int> answers;
        bool asked;
        bool stays_open;
    };
    const Case cases[] = {
        {"ok", {}, false, false},
        {"cancel", {}, false, false},
        {"#65 #66 #200 #255 #32 ok", {}, false, false},
        {"1,1 1,1 ok", {}, false, false},
        {"fill revert cancel", {}, false, false},
        {"box box cancel", {}, false, false},
        {"clear ok", {}, false, false},
        {"1,1 cancel", {IDNO}, true, true},
        {"1,1 ok", {IDYES}, true, false},
        {"#65 1,1 #66 #67 cancel", {IDNO}, true, true},
        {"invert cancel", {IDNO}, true, true},
        // Blank, but defined now: it would replace the printer's own character.
        {"#65 1,1 #66 #65 1,1 cancel", {IDNO}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        reopen_editor();
        answers(c.answers);
        run(c.actions);
        EXPECT_EQ(asked(),
                  c.asked ? std::vector<std::string>{kDiscardFont} : std::vector<std::string>{});
        EXPECT_EQ(open(), c.stays_open);
    }
}

TEST_F(FontEditorTest, AnEditIsKeptWhenTheUserDoesNotDiscardIt) {
    run("#65 3,4");
    const std::string edited = shown_rows();
    answers({IDNO});
    run("cancel");
    EXPECT_TRUE(open());
    EXPECT_EQ(shown_rows(), edited);
    const Bytes table = saved_table();
    EXPECT_EQ(record(table, 'A', 11), "41 00 00 00 00 00 00 00 00 10 00");
}

TEST_F(FontEditorTest, NullAsksAboutAnEditedCharacterAndUndefinesIt) {
    struct Case {
        const char* actions;
        std::vector<int> answers;
        bool asked;
        const char* record_of_A; // code byte and the first two rows
    };
    const Case cases[] = {
        {"#65 0,0 null", {IDYES}, true, "00 00 00 00 00"},
        {"#65 0,0 null #66 #65", {IDYES}, true, "00 00 00 00 00"},
        {"#65 0,0 null", {IDNO}, true, "41 80 00 00 00"},
        {"#65 0,0 #66 #65 null", {}, false, "00 00 00 00 00"},
        {"#65 null", {}, false, "00 00 00 00 00"},
        {"#65 0,0 null 1,1", {IDYES}, true, "41 00 00 40 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        reopen_editor();
        answers(c.answers);
        run(c.actions);
        EXPECT_EQ(asked(),
                  c.asked ? std::vector<std::string>{kDiscardSymbol} : std::vector<std::string>{});
        EXPECT_EQ(record(saved_table(), 'A', 5), c.record_of_A);
    }
}

// The radio buttons, and New, throw the font away only when nothing is lost or
// the user agrees; a No leaves the check mark on the font still shown.
TEST_F(FontEditorTest, FontButtonsAndNewDiscardOnlyWhatTheUserLetsGo) {
    struct Case {
        const char* actions;
        std::vector<int> answers;
        bool asked;
        int checked; // the font whose radio button alone is checked
        int width;   // of the glyph shown
        bool edit_kept;
    };
    const Case cases[] = {
        {"1,1 A", {}, false, IDC_FONT_A, 12, true},
        {"1,1 B", {IDNO}, true, IDC_FONT_A, 12, true},
        {"1,1 B", {IDYES}, true, IDC_FONT_B, 8, false},
        {"B", {}, false, IDC_FONT_B, 8, false},
        {"B A", {}, false, IDC_FONT_A, 12, false},
        {"B 1,1 A", {IDNO}, true, IDC_FONT_B, 8, true},
        {"B 1,1 B", {}, false, IDC_FONT_B, 8, true},
        {"1,1 new", {IDNO}, true, IDC_FONT_A, 12, true},
        {"1,1 new", {IDYES}, true, IDC_FONT_A, 12, false},
        {"B 1,1 new", {IDYES}, true, IDC_FONT_B, 8, false},
        {"1,1 1,1 new", {}, false, IDC_FONT_A, 12, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        reopen_editor();
        answers(c.answers);
        run(c.actions);
        EXPECT_EQ(asked(),
                  c.asked ? std::vector<std::string>{kDiscardFont} : std::vector<std::string>{});
        EXPECT_EQ(checked_font(IDC_FONT_A), c.checked == IDC_FONT_A);
        EXPECT_EQ(checked_font(IDC_FONT_B), c.checked == IDC_FONT_B);
        EXPECT_EQ(glyph_size().cx, c.width);
        const std::string blank = hex(Bytes(c.width == 12 ? 48 : 16, 0x00));
        EXPECT_EQ(shown_rows() != blank, c.edit_kept);
        if (!c.edit_kept) {
            EXPECT_EQ(SendMessageA(editor_item(IDC_FONT_CODES), LB_GETCURSEL, 0, 0), 0);
        }
    }
}

// Font A with 'A' defined (dots 0 and 11 of the top row, and low bits of the
// second byte that no editor shows), 'B' undefined but with rows, 'C' with a
// code byte that is not its own, the rest filler; or the same shape in font B.
Bytes sample_font_file(std::size_t size) {
    Bytes file(size);
    for (std::size_t i = 0; i < size; ++i)
        file[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const std::size_t record_size = size == 10976 ? 49 : 17;
    for (int code = 32; code <= 255; ++code)
        file[static_cast<std::size_t>(code - 32) * record_size] = 0x00;
    const auto put = [&](int code, Bytes bytes) {
        std::copy(bytes.begin(), bytes.end(),
                  file.begin() + static_cast<std::ptrdiff_t>((code - 32) * record_size));
    };
    put('A', {0x41, 0x80, 0x1F});
    put('B', {0x00, 0x55, 0x55});
    put('C', {0x99, 0xAA, 0xAA});
    put(' ', {0x20, 0x80});
    return file;
}

TEST_F(FontEditorTest, LoadTakesTheFontFromTheFileSizeOrBeeps) {
    struct Case {
        std::size_t size;
        bool loads;
        int checked;
        const char* code32_top; // the top row of code 32 as shown: no bit beyond dot 11
    };
    const Case cases[] = {
        {10976, true, IDC_FONT_A, "80 50"}, {3808, true, IDC_FONT_B, "80"},
        {3807, false, IDC_FONT_B, ""},      {3809, false, IDC_FONT_B, ""},
        {10975, false, IDC_FONT_B, ""},     {0, false, IDC_FONT_B, ""},
    };
    const std::string path = folder_ + "\\load.fnt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        reopen_editor();
        Bytes file = sample_font_file(c.size == 3808 || c.size == 10976 ? c.size : 10976);
        file.resize(c.size);
        write_file(path, file);
        answers({IDYES});
        run("B 2,2"); // something to lose: the question comes before the file dialog
        file_name(path);
        run("load");
        file_name("");
        EXPECT_EQ(asked(), std::vector<std::string>{kDiscardFont});
        EXPECT_EQ(checked_font(IDC_FONT_A), c.checked == IDC_FONT_A);
        EXPECT_EQ(checked_font(IDC_FONT_B), c.checked == IDC_FONT_B);
        if (c.loads) {
            EXPECT_TRUE(beeps_.beeps().empty());
            EXPECT_EQ(SendMessageA(editor_item(IDC_FONT_CODES), LB_GETCURSEL, 0, 0), 0);
            EXPECT_EQ(shown_rows().substr(0, std::string(c.code32_top).size()), c.code32_top);
            answers({IDNO});
            run("cancel");
            EXPECT_FALSE(open()) << "a loaded font is unmodified";
        } else {
            EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
            EXPECT_EQ(shown_rows(), "00 00 20 00 00 00 00 00 00 00 00 00 00 00 00 00")
                << "the edit of font B is still there";
            answers({IDNO});
            run("cancel");
            EXPECT_TRUE(open()) << "and still unsaved";
        }
    }
}

TEST_F(FontEditorTest, LoadCancelledChangesNothing) {
    run("1,1");
    answers({IDYES});
    file_name("");
    run("load");
    EXPECT_EQ(shown_rows().substr(0, 11), "00 00 40 00");
    EXPECT_TRUE(beeps_.beeps().empty());
}

// Code bytes decide what is defined; every other byte comes back as it was,
// however much the user browses or undoes.
TEST_F(FontEditorTest, ALoadedFontSavesBackByteForByte) {
    for (std::size_t size : {std::size_t{10976}, std::size_t{3808}}) {
        SCOPED_TRACE(size);
        reopen_editor();
        const Bytes file = sample_font_file(size);
        const std::string path = folder_ + "\\round trip.fnt";
        write_file(path, file);
        file_name(path);
        run("load");
        file_name("");
        run("#65");
        EXPECT_EQ(shown_rows().substr(0, 5), size == 10976 ? "80 10" : "80 1F")
            << "'A' as defined, without the bits no dot shows";
        run("#66");
        EXPECT_EQ(shown_rows().substr(0, 5), "00 00") << "'B' is not defined";
        run("#67");
        EXPECT_EQ(shown_rows().substr(0, 5), "00 00") << "'C' has a stray code byte";
        // Edits undone on 'A' give back its record, bits no dot shows included.
        run("#200 #65 5,5 5,5 fill revert box box #32");
        EXPECT_EQ(saved_table(), file);
        EXPECT_TRUE(asked().empty());
    }
}

TEST_F(FontEditorTest, SaveWritesTheTableUnderTheNameAsTyped) {
    run("#65 0,0 11,23");
    const std::string path = folder_ + "\\typed without extension";
    DeleteFileA(path.c_str());
    file_name(path);
    run("save");
    const Bytes file = read_file(path);
    ASSERT_EQ(file.size(), 10976u);
    EXPECT_EQ(record(file, 'A', 3), "41 80 00");
    EXPECT_EQ(hex(std::span(file).subspan((65 - 32) * 49 + 1 + 46, 2)), "00 10") << "row 23";
    EXPECT_EQ(record(file, 'B', 1), "00");
    EXPECT_EQ(GetFileAttributesA((path + ".fnt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(beeps_.beeps().empty());
    run("cancel");
    EXPECT_FALSE(open()) << "saved: nothing to ask";
    EXPECT_TRUE(asked().empty());
}

// The folder holds "dialog.fnt.tmp", a link to /dev/full made by the test's
// fixture: the temporary file takes the bytes of a disk that is full.
TEST_F(FontEditorTest, ASaveThatCannotBeWrittenKeepsTheOldFile) {
    const std::string target = windows_path(TQ350_FULL_DISK_DIR) + "\\dialog.fnt";
    {
        HANDLE full = CreateFileA((target + ".tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        DWORD written = 0;
        const bool refused =
            full != INVALID_HANDLE_VALUE && !WriteFile(full, "x", 1, &written, nullptr);
        if (full != INVALID_HANDLE_VALUE)
            CloseHandle(full);
        ASSERT_TRUE(refused) << target << ".tmp must link to /dev/full: run through ctest";
    }
    const Bytes old(3808, 0x5A);
    write_file(target, old);
    run("#65 0,0");
    file_name(target);
    run("save");
    EXPECT_EQ(read_file(target), old);
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
    answers({IDNO});
    run("cancel");
    EXPECT_TRUE(open()) << "the font is still unsaved";
    EXPECT_EQ(asked(), std::vector<std::string>{kDiscardFont});
}

std::string zeros(int count) {
    std::string text = "00";
    for (int i = 1; i < count; ++i)
        text += " 00";
    return text;
}

std::string test_print_block(const char* font_select) {
    std::string block = "1B 4A 22 1B 25 01 1B 56 00 1B 7B 00 1B 20 00 1D 4C 00 00 1B 33 00 1B 21 ";
    block += font_select;
    for (int code = 32; code <= 255; ++code) {
        char cell[4];
        std::snprintf(cell, sizeof cell, " %02X", code);
        block += cell;
    }
    return block + " 0A 1B 4A 50";
}

TEST_F(FontEditorTest, DownloadSendsWhatTheAnswersAskFor) {
    struct Case {
        const char* name;
        const char* actions;
        std::vector<int> answers; // reset first?, print a test?
        std::string sent;         // after the greeting
        std::vector<UINT> beeps;
    };
    const Case cases[] = {
        {"nothing to send", "", {IDNO, IDNO}, "", {MB_ICONQUESTION}},
        {"reset only", "", {IDYES, IDNO}, "1B 26 30", {}},
        {"reset of font B", "B", {IDYES, IDNO}, "1B 26 31", {}},
        {"font B, 'A' only",
         "B #65 0,0 7,15",
         {IDNO, IDNO},
         "1B 26 33 41 41 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01",
         {}},
        {"font A, two characters and a reset",
         "#33 0,0 #65 11,23",
         {IDYES, IDNO},
         "1B 26 30 1B 26 32 21 21 80 00 " + zeros(46) + " 1B 26 32 41 41 " + zeros(46) + " 00 10",
         {}},
        {"test print alone", "", {IDNO, IDYES}, test_print_block("00"), {}},
        {"test print of font B", "B", {IDNO, IDYES}, test_print_block("01"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reopen_editor();
        run(c.actions);
        answers(c.answers);
        run("download");
        EXPECT_EQ(asked(), (std::vector<std::string>{kResetFirst, kPrintTest}));
        EXPECT_EQ(beeps_.beeps(), c.beeps);
        const Bytes all = printer_.written();
        const std::string sent = all.size() > 3 ? hex(std::span(all).subspan(3)) : "";
        EXPECT_EQ(sent, c.sent);
        run("cancel");
        EXPECT_FALSE(open()) << "a download that went out leaves nothing to ask";
    }
}

TEST_F(FontEditorTest, AFailedDownloadLeavesTheFontUnsaved) {
    struct Case {
        const char* name;
        bool refuse_open;
        std::size_t write_limit;
        std::vector<std::string> asked;
        std::vector<UINT> beeps;
    };
    const Case cases[] = {
        {"port cannot be opened",
         true,
         SIZE_MAX,
         {kResetFirst, kPrintTest, "Can NOT communicate with printer!", kDiscardFont},
         {}},
        {"a chunk is cut short",
         false,
         10,
         {kResetFirst, kPrintTest, kDiscardFont},
         {MB_ICONASTERISK}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reopen_editor();
        printer_.refuse_open = c.refuse_open;
        printer_.write_limit = c.write_limit;
        run("#65 0,0");
        answers({IDYES, IDYES, IDOK, IDNO});
        run("download cancel");
        EXPECT_EQ(asked(), c.asked);
        EXPECT_EQ(beeps_.beeps(), c.beeps);
        EXPECT_TRUE(open());
    }
    printer_.refuse_open = false;
    printer_.write_limit = SIZE_MAX;
}

// Every code defined with a pattern of its own: a font that is worth keeping.
Bytes every_code_font() {
    Bytes file(10976, 0x00);
    for (int code = 32; code <= 255; ++code) {
        const std::size_t at = static_cast<std::size_t>(code - 32) * 49;
        file[at] = static_cast<std::uint8_t>(code);
        for (std::size_t row = 0; row < 24; ++row) {
            file[at + 1 + row * 2] = static_cast<std::uint8_t>(code ^ row);
            file[at + 2 + row * 2] = static_cast<std::uint8_t>(row << 4);
        }
    }
    return file;
}

// Each step builds what it needs before it touches the font. Sizes: a font table
// is 3808 or 10976 bytes, the download of this font 12128; the test framework's
// own allocations stay below the limits.
TEST_F(FontEditorTest, AFailedAllocationLeavesTheFontAndTheDialogAsTheyWere) {
    const Bytes font = every_code_font();
    const std::string font_path = folder_ + "\\every code.fnt";
    const std::string other_path = folder_ + "\\font b.fnt";
    write_file(font_path, font);
    write_file(other_path, Bytes(3808, 0x00));
    struct Case {
        const char* action;
        std::vector<int> answers;
        std::size_t smallest_failing;
    };
    const Case cases[] = {
        {"new", {}, 3000},
        {"B", {}, 3000},
        {"load", {}, 3000},
        {"download", {IDYES, IDYES}, 12000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        reopen_editor();
        file_name(font_path);
        run("load");
        file_name(other_path);
        answers(c.answers);
        const std::string shown = shown_rows();
        {
            test::FailingAllocations full_heap(c.smallest_failing);
            run(c.action);
            EXPECT_GT(full_heap.failures(), 0);
        }
        file_name("");
        EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
        EXPECT_TRUE(printer_.opened.empty());
        EXPECT_TRUE(checked_font(IDC_FONT_A));
        EXPECT_FALSE(checked_font(IDC_FONT_B));
        EXPECT_EQ(shown_rows(), shown);
        EXPECT_EQ(saved_table(), font);
        run("#66 0,0");
        EXPECT_EQ(shown_rows().substr(0, 5), "C2 00") << "still usable";
    }
}

TEST_F(FontEditorTest, ACharacterThatCannotBeShownLeavesTheFontAlone) {
    run("#65 0,0");
    {
        // A 12 x 24 glyph takes 288 bytes; the session's own record copies 49.
        test::FailingAllocations full_heap(200);
        run("#66");
        EXPECT_GT(full_heap.failures(), 0);
    }
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
    EXPECT_EQ(g_shown, nullptr) << "the preview shows nothing rather than another character";
    SendMessageA(editor_item(IDC_FONT_GLYPH), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    run("fill null");
    run("#65");
    EXPECT_EQ(shown_rows().substr(0, 5), "80 00") << "a defined character shows again";
    run("#67 1,1");
    EXPECT_EQ(shown_rows().substr(0, 11), "00 00 40 00") << "usable again";
    const Bytes table = saved_table();
    EXPECT_EQ(record(table, 'A', 3), "41 80 00");
    EXPECT_EQ(record(table, 'B', 3), "00 00 00");
    EXPECT_EQ(record(table, 'C', 5), "43 00 00 40 00");
}

TEST_F(FontEditorTest, ThePreviewShowsTheGlyphAtOnePixelADot) {
    run("0,0");
    HBITMAP first = g_shown;
    ASSERT_NE(first, nullptr);
    run("11,23");
    HBITMAP second = g_shown;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetObjectType(first), 0u) << "the bitmap it replaced is deleted";
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(second, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 12);
    EXPECT_EQ(dib.dsBm.bmHeight, 24);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 1);
    const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
    EXPECT_EQ(hex({bits, 4}), "7F F0 00 00");
    EXPECT_EQ(hex({bits + 23 * 4, 4}), "FF E0 00 00");

    answers({IDYES});
    run("B");
    ASSERT_NE(g_shown, nullptr);
    ASSERT_EQ(GetObjectA(g_shown, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 8);
    EXPECT_EQ(dib.dsBm.bmHeight, 16);
    EXPECT_EQ(hex({static_cast<const std::uint8_t*>(dib.dsBm.bmBits), 4}), "FF 00 00 00");

    HBITMAP last = g_shown;
    run("ok");
    EXPECT_FALSE(open());
    EXPECT_EQ(g_shown, nullptr) << "the preview lets go of the last bitmap";
    EXPECT_EQ(GetObjectType(last), 0u) << "and it is deleted";
}

} // namespace
} // namespace tq350::font
