// The font editor from its real template over a main dialog, driven as a user
// would, the questions and file dialogs answered from a script and the printer
// behind a scripted line: a row for each path of the dialog (the session and the
// bytes are the core's tables), a row for each message of its glyph control, and
// font files through the Win32 calls of Load and Save.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/tests/main_dialog_fixture.h"
#include "font/font_editor_dialog.h"
#include "font/font_file_io.h"
#include "font/glyph_editor_control.h"
#include "font/tests/failing_allocations.h"
#include "link/tests/fake_serial_io.h"
#include "res/resource.h"
#include "testing/hex.h"

namespace tq350::font {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::tq350::test::hex;

constexpr const char* kDiscardFont = "Are You sure to discard font changes?";
constexpr const char* kDiscardSymbol = "Are You sure to discard symbol changes?";
constexpr const char* kResetFirst = "Do You want to reset downloadable font first?";
constexpr const char* kPrintTest = "Are You want to print test of downloaded symbols?";

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `bytes` and zeros up to `size` when that is more: those take no room on the disk.
std::string write_file(const std::string& path, const Bytes& bytes, std::int64_t size = 0) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (size > std::ssize(bytes))
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
    return path;
}

// In front of the editor and its glyph control: the notifications the control
// sends (from itself, with code 0, or they count 1000) and the erases it is sent.
int g_notifications = 0;
int g_erases = 0;
WNDPROC g_editor_proc = nullptr;
WNDPROC g_glyph_proc = nullptr;

LRESULT CALLBACK counting_editor(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (message == WM_NOTIFY && header->hwndFrom == GetDlgItem(window, IDC_FONT_GLYPH))
        g_notifications +=
            header->idFrom == IDC_FONT_GLYPH && wparam == IDC_FONT_GLYPH && header->code == 0
                ? 1
                : 1000;
    return CallWindowProcA(g_editor_proc, window, message, wparam, lparam);
}

LRESULT CALLBACK counting_glyph(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    g_erases += message == WM_ERASEBKGND ? 1 : 0;
    return CallWindowProcA(g_glyph_proc, window, message, wparam, lparam);
}

// Every record's code byte its own code, the rest a pattern whose rows have bits
// beyond dot 11 set, which no editor shows.
Bytes every_code_defined(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::size_t record = size == 10976 ? 49 : 17;
    for (std::size_t code = 32; code <= 255 && (code - 32) * record < size; ++code)
        bytes[(code - 32) * record] = static_cast<std::uint8_t>(code);
    return bytes;
}

// The first `count` bytes of a code's record in a font file: the code byte, then the rows.
std::string record(const Bytes& file, int code, std::size_t count) {
    const std::size_t at = static_cast<std::size_t>(code - 32) * (file.size() == 10976 ? 49 : 17);
    return file.size() < at + count ? "(no such record)" : hex(std::span(file).subspan(at, count));
}

class FontEditorTest : public tq350::test::MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        std::filesystem::create_directory(folder_);
        tq350::test::make_file_dialog_caches();
        gui_objects_ = {};
        open_dialog();
        answerer_.on_open = [this](HWND window) { answer(window); };
        reopen_editor();
    }
    // A fresh editor, questions, beeps and bytes sent counted from here on.
    void reopen_editor() {
        if (editor_)
            DestroyWindow(editor_);
        editor_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FONT_EDITOR),
                                     dialog_, FontEditorDialogProc,
                                     reinterpret_cast<LPARAM>(&chosen_port_));
        ASSERT_NE(editor_, nullptr);
        g_editor_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_editor)));
        g_glyph_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(glyph(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_glyph)));
        ShowWindow(editor_, SW_SHOW);
        tq350::test::pump_messages();
        seen_from_ = answerer_.seen().size();
        answers_.clear();
        beeps_.clear();
        printer_.writes.clear();
    }

    HWND glyph() const { return GetDlgItem(editor_, IDC_FONT_GLYPH); }
    std::string path(const std::string& name) const { return folder_ + "\\" + name; }
    LRESULT to_glyph(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageA(glyph(), message, wparam, lparam);
    }
    bool open() const { return IsWindowVisible(editor_) != FALSE; }
    int checked_font() const {
        return IsDlgButtonChecked(editor_, IDC_FONT_A)
                   ? 'A'
                   : (IsDlgButtonChecked(editor_, IDC_FONT_B) ? 'B' : 0);
    }
    // The glyph width of the font whose button is checked.
    int glyph_width() const { return checked_font() == 'B' ? 8 : 12; }
    // The glyph on show, packed as the font table keeps it (or inverted); bytes
    // the control does not write stay AA.
    std::string rows(bool inverted = false) {
        const int pitch = (glyph_width() + 7) / 8;
        Bytes bytes(static_cast<std::size_t>(pitch * (pitch == 2 ? 24 : 16)), 0xAA);
        to_glyph(SDM_GETBITS, MAKEWPARAM(pitch, inverted ? 1 : 0),
                 reinterpret_cast<LPARAM>(bytes.data()));
        return hex(bytes);
    }

    // A user's words: "c,r" presses a dot, "#65" selects a code, the rest are the
    // buttons' captions.
    void run(const std::string& actions) {
        std::istringstream words(actions);
        for (std::string word; words >> word;) {
            int column = 0, row = 0;
            HWND list = GetDlgItem(editor_, IDC_FONT_CODES);
            if (word[0] == '#') {
                SendMessageA(list, LB_SETCURSEL, std::stoul(word.substr(1)) - 32, 0);
                SendMessageA(editor_, WM_COMMAND, MAKEWPARAM(IDC_FONT_CODES, LBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(list));
            } else if (std::sscanf(word.c_str(), "%d,%d", &column, &row) == 2) {
                const int cell = glyph_width() == 8 ? 13 : 9; // at the dialog's size
                to_glyph(WM_LBUTTONDOWN, MK_LBUTTON,
                         MAKELPARAM(column * cell + cell / 2, row * cell + cell / 2));
            } else if (HWND button = button_captioned(word)) {
                SendMessageA(button, BM_CLICK, 0, 0);
            } else {
                FAIL() << "unknown action " << word;
            }
        }
    }
    HWND button_captioned(const std::string& word) const {
        for (HWND child = GetWindow(editor_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[32] = {};
            GetWindowTextA(child, text, sizeof text);
            std::string caption = text;
            std::erase(caption, '&');
            if (_stricmp(caption.c_str(), word.c_str()) == 0)
                return child;
        }
        return nullptr;
    }

    // Answers to the next questions, in order; a question beyond them gets No.
    void answers(const std::vector<int>& buttons) {
        answers_.assign(buttons.begin(), buttons.end());
    }
    // The texts of the program's own boxes so far.
    std::vector<std::string> asked() const {
        std::vector<std::string> texts;
        for (std::size_t i = seen_from_; i < answerer_.seen().size(); ++i)
            if (answerer_.seen()[i].caption == kMessageCaption)
                texts.push_back(answerer_.seen()[i].text);
        return texts;
    }
    // Runs the actions with this name typed into the file dialogs.
    void with_file(const std::string& path, const std::string& actions) {
        file_name_ = path;
        run(actions);
        file_name_.clear();
    }
    // The font table, through Save to a scratch file named without an extension:
    // the name is used as typed.
    Bytes saved_table() {
        DeleteFileA(path("table").c_str());
        with_file(path("table"), "save");
        return read_file(path("table"));
    }

    link::test::FakeSerialIo printer_;
    tq350::test::ModalAnswerer answerer_;
    const std::string folder_ =
        (std::filesystem::temp_directory_path() / "tq350 font editor test").string();
    HWND editor_ = nullptr;

  private:
    // The file dialogs get the name (or a Cancel without one), the program's boxes
    // the scripted answers, the file dialog's own boxes ("replace it?") a Yes.
    void answer(HWND window) {
        if (window == editor_)
            return; // the editor itself, activated again
        char caption[64] = {};
        GetWindowTextA(window, caption, sizeof caption);
        int button = GetDlgItem(window, IDYES) ? IDYES : IDOK;
        if (!GetDlgItem(window, 0xFFFF)) {
            // The explorer-style dialog names its file-name box cmb13, the old one edt1.
            for (int id : {0x47C, 0x480})
                SetDlgItemTextA(window, id, file_name_.c_str());
            button = file_name_.empty() ? IDCANCEL : IDOK;
        } else if (std::string(caption) == kMessageCaption) {
            button = answers_.empty() ? IDNO : answers_.front();
            if (!answers_.empty())
                answers_.pop_front();
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }

    std::deque<int> answers_;
    std::string file_name_;
    std::size_t seen_from_ = 0;
};

// A question only when something would be lost, and a No keeps it: the edit, the
// font and its radio button. No case beeps.
TEST_F(FontEditorTest, AsksOnlyWhenSomethingWouldBeLost) {
    struct Case {
        const char* actions;
        std::vector<int> answers;
        const char* asked;
        bool stays_open;
        int font;
        const char* rows_start; // of the glyph shown once the actions are done
    };
    const Case cases[] = {
        {"#65 #66 #255 #32 ok", {}, nullptr, false, 'A', ""},
        {"1,1 1,1 fill revert box box ok", {}, nullptr, false, 'A', ""},
        {"#65 1,1 #66 #67 cancel", {IDNO}, kDiscardFont, true, 'A', "00 00"},
        {"#65 0,0 null", {IDNO}, kDiscardSymbol, true, 'A', "80 00"},
        {"#65 0,0 #66 #65 null ok", {}, nullptr, false, 'A', ""},
        {"1,1 B", {IDNO}, kDiscardFont, true, 'A', "00 00 40 00"},
        {"1,1 B", {IDYES}, kDiscardFont, true, 'B', "00 00 00"},
        {"B A", {}, nullptr, true, 'A', "00 00 00 00"},
        {"1,1 new cancel", {IDYES}, kDiscardFont, false, 'A', ""},
        {"B 1,1 new", {IDYES}, kDiscardFont, true, 'B', "00 00 00"},
        {"1,1 load", {IDYES}, kDiscardFont, true, 'A', "00 00 40 00"}, // file dialog cancelled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        reopen_editor();
        answers(c.answers);
        run(c.actions);
        EXPECT_EQ(asked(),
                  c.asked ? std::vector<std::string>{c.asked} : std::vector<std::string>{});
        EXPECT_TRUE(beeps_.beeps().empty());
        EXPECT_EQ(open(), c.stays_open);
        EXPECT_EQ(checked_font(), c.font);
        if (c.stays_open) {
            EXPECT_EQ(rows().substr(0, std::string(c.rows_start).size()), c.rows_start);
        }
    }
}

// The answers choose what goes out; a download that went out leaves nothing to ask,
// one that failed leaves the font unsaved.
TEST_F(FontEditorTest, DownloadSendsWhatTheAnswersAskFor) {
    struct Case {
        const char* actions;
        std::vector<int> answers;       // reset first?, print a test?, then any others
        std::vector<std::string> asked; // after those two
        std::string sent_start;         // after the greeting
        std::size_t size;
        std::vector<UINT> beeps;
        std::size_t write_limit = SIZE_MAX;
    };
    const Case cases[] = {
        {"", {IDNO, IDNO}, {}, "", 0, {MB_ICONQUESTION}},
        {"B #65 0,0 7,15", {IDYES, IDYES}, {}, "1B 26 31 1B 26 33 41 41 80 00", 277, {}},
        {"#65 0,0", {IDYES, IDNO, IDNO}, {kDiscardFont}, "", 0, {MB_ICONASTERISK}, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        reopen_editor();
        printer_.write_limit = c.write_limit;
        run(c.actions);
        answers(c.answers);
        run("download cancel");
        std::vector<std::string> asked{kResetFirst, kPrintTest};
        asked.insert(asked.end(), c.asked.begin(), c.asked.end());
        EXPECT_EQ(this->asked(), asked);
        EXPECT_EQ(beeps_.beeps(), c.beeps);
        EXPECT_EQ(open(), !c.asked.empty());
        if (c.asked.empty()) {
            const Bytes all = printer_.written();
            const Bytes sent(all.begin() + std::min<std::ptrdiff_t>(3, std::ssize(all)), all.end());
            EXPECT_EQ(sent.size(), c.size);
            EXPECT_EQ(hex(sent).substr(0, c.sent_start.size()), c.sent_start);
        }
    }
}

// Each step builds what it needs before it touches the font. Sizes: a font table
// is 3808 or 10976 bytes, the download of this font 12128; the test framework's
// own allocations stay below the limits.
TEST_F(FontEditorTest, AFailedAllocationLeavesTheFontAndTheDialogAsTheyWere) {
    const Bytes font = every_code_defined(10976);
    const std::string font_path = write_file(path("every code.fnt"), font);
    const std::string other_path = write_file(path("font b.fnt"), Bytes(3808, 0x00));
    const std::pair<const char*, std::size_t> cases[] = {
        {"new", 3000}, {"B", 3000}, {"load", 3000}, {"download", 12000}};
    for (const auto& [action, smallest_failing] : cases) {
        SCOPED_TRACE(action);
        reopen_editor();
        with_file(font_path, "load");
        const std::string shown = rows();
        answers({IDYES, IDYES});
        EXPECT_GT(test::with_full_heap(smallest_failing, [&] { with_file(other_path, action); }),
                  0);
        EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
        EXPECT_TRUE(printer_.opened.empty());
        EXPECT_EQ(checked_font(), 'A');
        EXPECT_EQ(rows(), shown);
        EXPECT_EQ(saved_table(), font);
        run("#66 0,0");
        EXPECT_EQ(rows().substr(0, 5), "18 90") << "still usable";
    }
}

TEST_F(FontEditorTest, ACharacterThatCannotBeShownLeavesTheFontAlone) {
    run("#65 0,0");
    // A 12 x 24 glyph takes 288 bytes; the session's own record copies 49.
    EXPECT_GT(test::with_full_heap(200, [&] { run("#66"); }), 0);
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
    EXPECT_EQ(SendDlgItemMessageA(editor_, IDC_FONT_PREVIEW, STM_GETIMAGE, IMAGE_BITMAP, 0), 0)
        << "the preview shows nothing rather than another character";
    to_glyph(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    run("fill null #65");
    EXPECT_EQ(rows().substr(0, 5), "80 00") << "a defined character shows again";
    run("#67 1,1");
    const Bytes table = saved_table();
    EXPECT_EQ(record(table, 'A', 3) + " / " + record(table, 'B', 3) + " / " + record(table, 'C', 5),
              "41 80 00 / 00 00 00 / 43 00 00 40 00");
}

// Each message to the control in a 12 x 24 glyph whose reference (the last commit)
// has dot 0 of the top row and which shows dots 0 and 1; at the dialog's size the
// control is 108 x 221 pixels, a cell 9. What it changes, whether it notifies, the
// part it repaints (a press its cell alone) and whether it erases (only a new size).
TEST_F(FontEditorTest, EachMessageActsOnTheGlyphAndNotifies) {
    RECT client{};
    GetClientRect(glyph(), &client);
    EXPECT_EQ((std::pair{client.right, client.bottom}), (std::pair{108L, 221L}));
    std::vector<std::uint8_t> source(48, 0xFF);
    source[0] = 0x0F;
    struct Case {
        const char* name;
        UINT message;
        WPARAM wparam;
        LPARAM lparam; // 0: the source rows
        const char* top_rows;
        int notifications, erases;
        bool modified;
        std::vector<LONG> repainted; // left, top, right, bottom
    };
    const std::vector<LONG> cell{18, 9, 27, 18}, whole{0, 0, 108, 221}, none;
    const Case cases[] = {
        {"press", WM_LBUTTONDOWN, 0, MAKELPARAM(22, 13), "C0 00 20 00", 1, 0, true, cell},
        {"off the grid", WM_LBUTTONDOWN, 0, MAKELPARAM(50, 216), "C0 00 00 00", 0, 0, true, none},
        {"clear", SDM_CLEAR, 0, 0, "00 00 00 00", 1, 0, true, whole},
        {"fill", SDM_FILL, 0, 0, "FF F0 FF F0", 1, 0, true, whole},
        {"invert", SDM_INVERT, 0, 0, "3F F0 FF F0", 1, 0, true, whole},
        {"box", SDM_BOX, 0, 0, "3F F0 80 10", 1, 0, true, whole},
        {"revert", SDM_REVERT, 0, 0, "80 00 00 00", 1, 0, false, whole},
        {"commit", SDM_COMMIT, 0, 0, "C0 00 00 00", 0, 0, false, none},
        {"set bits, inverted", SDM_SETBITS, MAKEWPARAM(2, 1), 0, "F0 00 00 00", 1, 0, true, whole},
        {"same size", SDM_SETSIZE, 0, MAKELPARAM(12, 24), "00 00 00 00", 1, 0, false, whole},
        {"new size", SDM_SETSIZE, 0, MAKELPARAM(8, 16), "00 AA 00 AA", 1, 1, false, whole}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        to_glyph(SDM_SETSIZE, 0, MAKELPARAM(12, 24));
        run("0,0");
        to_glyph(SDM_COMMIT);
        run("1,0");
        UpdateWindow(glyph());
        g_notifications = g_erases = 0;
        const LPARAM lparam = c.lparam ? c.lparam : reinterpret_cast<LPARAM>(source.data());
        EXPECT_EQ(to_glyph(c.message, c.wparam, lparam), 0);
        EXPECT_EQ(rows().substr(0, 11), c.top_rows);
        EXPECT_EQ(g_notifications, c.notifications);
        EXPECT_EQ(to_glyph(SDM_ISMODIFIED), c.modified ? 1 : 0);
        RECT r{};
        const bool pending = GetUpdateRect(glyph(), &r, FALSE);
        EXPECT_EQ(pending ? std::vector<LONG>({r.left, r.top, r.right, r.bottom}) : none,
                  c.repainted);
        UpdateWindow(glyph());
        EXPECT_EQ(g_erases, c.erases);
    }
    to_glyph(SDM_SETSIZE, 0, MAKELPARAM(12, 24));
    to_glyph(SDM_SETBITS, MAKEWPARAM(2, 1), reinterpret_cast<LPARAM>(source.data()));
    EXPECT_EQ(rows(true).substr(0, 5), "0F F0") << "inverted: blank dots set, the unused bits not";
}

// What it shows. The preview: a top-down 1-bit DIB, one pixel a dot, inked dots
// colour 0, black. The control painted into a bitmap of its size: black squares
// framed white for inked dots, white ones framed black for blank dots, white below
// the grid, where the cursor is an arrow and over the cells a cross.
TEST_F(FontEditorTest, ThePreviewAndThePaintShowTheGlyph) {
    run("0,0 11,23");
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(to_glyph(SDM_GETDIB));
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RGBQUAD colours[2]{};
    GetDIBColorTable(dc, 0, 2, colours);
    EXPECT_EQ(std::to_string(dib.dsBm.bmWidth) + " x " + std::to_string(dib.dsBm.bmHeight) + " x " +
                  std::to_string(dib.dsBm.bmBitsPixel) + ": " + hex({bits, 4}) + " / " +
                  hex({bits + 23 * 4, 4}) + ", colours " + hex({&colours[0].rgbBlue, 3}) + " / " +
                  hex({&colours[1].rgbBlue, 3}),
              "12 x 24 x 1: 7F F0 00 00 / FF E0 00 00, colours 00 00 00 / FF FF FF");

    constexpr int kWidth = 108, kHeight = 221;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    ASSERT_NE(target, nullptr);
    auto* painted = static_cast<std::uint32_t*>(pixels);
    std::fill(painted, painted + kWidth * kHeight, 0x00FF00FFu); // magenta: not painted
    SelectObject(dc, target);
    to_glyph(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    GdiFlush();
    struct Case {
        const char* what;
        int x, y;
        std::uint32_t colour;
        LPCSTR cursor;
    };
    const Case cases[] = {{"inked cell inside", 4, 4, 0x000000, IDC_CROSS},
                          {"inked cell frame", 8, 8, 0xFFFFFF, IDC_CROSS},
                          {"blank cell inside", 13, 4, 0xFFFFFF, IDC_CROSS},
                          {"blank cell frame", 17, 8, 0x000000, IDC_CROSS},
                          {"below the grid", 50, 218, 0xFFFFFF, IDC_ARROW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(painted[c.y * kWidth + c.x] & 0xFFFFFFu, c.colour);
        POINT point{c.x, c.y};
        ClientToScreen(glyph(), &point);
        SetCursorPos(point.x, point.y);
        SetCursor(nullptr);
        to_glyph(WM_SETCURSOR, reinterpret_cast<WPARAM>(glyph()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, c.cursor));
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(target);
    DeleteObject(bitmap);
}

// Only the size tells a font file: every other size is refused before anything
// is read into memory, and a file of the right size loads byte for byte. No case
// leaves heap blocks behind or makes the process use more than a few tens of MB.
// Load in the dialog asks before the file dialog, takes the font the size says
// and saves it back as it was however much the user browses or undoes; another
// size beeps and keeps the edit.
TEST_F(FontEditorTest, LoadTakesTheFontTheSizeSaysAndEveryByte) {
    struct Case {
        const char* name;
        std::int64_t size; // -1: no such file
        LoadStatus status;
    };
    const Case cases[] = {{"a.fnt", 10976, LoadStatus::loaded},
                          {"b.bmp", 3808, LoadStatus::loaded},
                          {"empty.fnt", 0, LoadStatus::not_a_font_file},
                          {"3809.fnt", 3809, LoadStatus::not_a_font_file},
                          {"10975.fnt", 10975, LoadStatus::not_a_font_file},
                          {"1 GB.fnt", std::int64_t{1} << 30, LoadStatus::not_a_font_file},
                          {"no such file.fnt", -1, LoadStatus::cannot_open},
                          {"", -1, LoadStatus::cannot_open}}; // the folder
    const tq350::test::MemoryPeak peak;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path(c.name);
        if (c.size >= 0)
            write_file(file, every_code_defined(std::min<std::size_t>(c.size, 10976)), c.size);
        const LoadResult result = ReadFontFile(file.c_str());
        EXPECT_EQ(result.status, c.status);
        ASSERT_EQ(result.table.has_value(), c.status == LoadStatus::loaded);
        if (result.table) {
            EXPECT_EQ(result.table->kind(), c.size == 3808 ? FontKind::b : FontKind::a);
            EXPECT_TRUE(result.table->is_defined(32) && result.table->is_defined(255));
            const std::span<const std::uint8_t> loaded = result.table->bytes();
            EXPECT_EQ(Bytes(loaded.begin(), loaded.end()), read_file(file));
        }
        EXPECT_LT(peak.growth(), 32 << 20) << "bytes used at the most";
        EXPECT_TRUE(tq350::test::leaves_heaps_as_found([&] { ReadFontFile(file.c_str()); }));
        if (c.status == LoadStatus::cannot_open)
            continue; // the file dialog lets no such name through
        reopen_editor();
        answers({IDYES});
        run("B 2,2");
        with_file(file, "load");
        EXPECT_EQ(asked(), std::vector<std::string>{kDiscardFont}) << "before the file dialog";
        if (!result.table) {
            EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
            EXPECT_EQ(rows().substr(0, 8), "00 00 20") << "the edit of font B is still there";
            continue;
        }
        EXPECT_TRUE(beeps_.beeps().empty());
        EXPECT_EQ(checked_font(), c.size == 3808 ? 'B' : 'A');
        run("#200 #65 5,5 5,5 fill revert box box #32");
        EXPECT_EQ(saved_table(), read_file(file));
    }
}

// The target gets all the new bytes or keeps its old ones, and no temporary file
// stays behind. Then a save in the dialog onto a full disk: the folder holds
// "dialog.fnt.tmp", a link to /dev/full made by the test's fixture, which takes
// the bytes of the temporary file; the dialog beeps and the font stays unsaved.
TEST_F(FontEditorTest, SaveReplacesTheTargetWholeOrNotAtAll) {
    const Bytes font = every_code_defined(3808);
    CreateDirectoryA(path("a folder.fnt").c_str(), nullptr);
    const std::pair<std::string, SaveStatus> cases[] = {
        {write_file(path("replaced.fnt"), Bytes(10976, 0xEE)), SaveStatus::saved},
        {path("no such folder") + "\\font.fnt", SaveStatus::cannot_create},
        {path("a folder.fnt"), SaveStatus::cannot_replace}};
    for (const auto& [target, status] : cases) {
        SCOPED_TRACE(target);
        EXPECT_EQ(SaveFontFile(target.c_str(), font), status);
        EXPECT_EQ(read_file(target) == font, status == SaveStatus::saved);
        EXPECT_EQ(GetFileAttributesA((target + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_TRUE(GetFileAttributesA(path("a folder.fnt").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    std::string target = std::string(TQ350_FULL_DISK_DIR) + "\\dialog.fnt";
    std::replace(target.begin(), target.end(), '/', '\\'); // the file dialogs take no slashes
    const Bytes old(3808, 0x5A);
    write_file(target, old);
    run("#65 0,0");
    with_file(target, "save");
    EXPECT_EQ(read_file(target), old);
    EXPECT_EQ(beeps_.beeps(), std::vector<UINT>{MB_ICONHAND});
    run("cancel");
    EXPECT_TRUE(open()) << "the font is still unsaved";
    EXPECT_EQ(asked(), std::vector<std::string>{kDiscardFont});
}

} // namespace
} // namespace tq350::font
