// The font editor of the real program under Wine, downloading to the virtual
// TQ-350 behind COM5: what the printer receives, how it is paced, and what the
// printer holds afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "link/tests/e2e_support.h"
#include "link/tests/paper_page.h"

namespace tq350::e2e {
namespace {

constexpr DWORD kExchangeMs = 30000;
constexpr const char* kEditorCaption = "Dialog";

// Seconds since the printer started, from the journal line.
double journal_time(const JournalEntry& entry) {
    const std::string key = "\"t\":";
    const size_t at = entry.line.find(key);
    return at == std::string::npos ? -1 : std::atof(entry.line.c_str() + at + key.size());
}

size_t byte_count(const std::string& hex) {
    return hex.empty() ? 0 : (hex.size() + 1) / 3;
}

class FontEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        delete_settings();
        store_setting("COM Port", 5);
        ASSERT_TRUE(com5_.set_faults("power_cycle"));
    }
    void TearDown() override {
        com5_.set_faults("");
        delete_settings();
    }

    // Connect & Get, then the font editor from the menu.
    HWND open_font_editor(Program& program) {
        EXPECT_TRUE(connect_and_get(program, com5_, kExchangeMs));
        program.command(IDM_FONT_EDITOR);
        return program.wait_for_popup(kEditorCaption, kExchangeMs);
    }

    // Steps that open a question or a file dialog are posted, so that the test
    // can answer them; the others are sent and done when the call returns. Mixing
    // the two for steps that must stay in order would not do: the program
    // handles a sent message before anything posted earlier.
    void post_click(HWND window, int id) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }
    static void send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, message, wparam, lparam, SMTO_BLOCK, kExchangeMs, &result);
    }
    void select(HWND editor, int code) {
        HWND list = GetDlgItem(editor, IDC_FONT_CODES);
        send(list, LB_SETCURSEL, static_cast<WPARAM>(code - 32), 0);
        send(editor, WM_COMMAND, MAKEWPARAM(IDC_FONT_CODES, LBN_SELCHANGE),
             reinterpret_cast<LPARAM>(list));
    }
    // A left-button press in the middle of a cell, as the mouse gives it.
    void press(HWND editor, int width, int height, int column, int row) {
        HWND glyph = GetDlgItem(editor, IDC_FONT_GLYPH);
        RECT client{};
        GetClientRect(glyph, &client);
        const int cell = std::min(client.right / width, client.bottom / height);
        const LPARAM point = MAKELPARAM(column * cell + cell / 2, row * cell + cell / 2);
        send(glyph, WM_LBUTTONDOWN, MK_LBUTTON, point);
        send(glyph, WM_LBUTTONUP, 0, point);
    }
    // Waits for the program's question, checks its text and answers it.
    void answer(const Program& program, const char* question, int button) {
        HWND box = program.wait_for_popup("Printer Settings", kExchangeMs);
        ASSERT_NE(box, nullptr) << "no question: " << question;
        char text[256] = {};
        GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
        EXPECT_STREQ(text, question);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        // A posted click is handled after anything sent, so a sync alone does
        // not tell that the window it closes has gone.
        EXPECT_TRUE(program.wait_gone(box, kExchangeMs));
    }
    // A download that went out leaves nothing unsaved: Cancel closes at once.
    void expect_closes_without_a_question(const Program& program, HWND editor) {
        post_click(editor, IDCANCEL);
        HWND box = nullptr;
        const ULONGLONG deadline = GetTickCount64() + kExchangeMs;
        while (IsWindow(editor) && !box && GetTickCount64() < deadline) {
            program.sync();
            box = program.find_popup("Printer Settings");
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        char text[256] = {};
        if (box)
            GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
        EXPECT_EQ(box, nullptr) << "asked: " << text;
        EXPECT_FALSE(IsWindow(editor));
    }
    // The download's connection: the one that received a font command.
    int download_connection(const std::vector<JournalEntry>& journal) {
        for (const JournalEntry& e : journal)
            if (e.name == "font_reset" || e.name == "font_define")
                return e.conn;
        return 0;
    }
    bool connection_closed(const std::vector<JournalEntry>& journal, int conn) {
        for (const JournalEntry& e : journal)
            if (e.name == "close" && e.conn == conn)
                return true;
        return false;
    }

    VirtualPrinter com5_{"com5"};
};

// Font B, three characters drawn with the mouse, the reset first and no test
// print: the printer then holds exactly those three glyphs.
TEST_F(FontEndToEnd, AFontBDownloadDefinesExactlyTheDrawnCharacters) {
    Program program;
    ASSERT_TRUE(program.started());
    HWND editor = open_font_editor(program);
    ASSERT_NE(editor, nullptr);
    // An unmodified font switches without a question.
    send(GetDlgItem(editor, IDC_FONT_B), BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageA(GetDlgItem(editor, IDC_FONT_B), BM_GETCHECK, 0, 0), BST_CHECKED);

    struct Drawn {
        int code;
        std::vector<std::pair<int, int>> dots;
        const char* rows;
    };
    const Drawn drawn[] = {
        {'A', {{0, 0}, {7, 15}}, "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01"},
        {'B', {{3, 3}, {4, 3}}, "00 00 00 18 00 00 00 00 00 00 00 00 00 00 00 00"},
        {'~', {{1, 8}, {1, 9}, {1, 10}}, "00 00 00 00 00 00 00 00 40 40 40 00 00 00 00 00"},
    };
    for (const Drawn& d : drawn) {
        select(editor, d.code);
        for (const auto& [column, row] : d.dots)
            press(editor, 8, 16, column, row);
    }
    post_click(editor, IDC_FONT_DOWNLOAD);
    answer(program, "Do You want to reset downloadable font first?", IDYES);
    answer(program, "Are You want to print test of downloaded symbols?", IDNO);

    int conn = 0;
    ASSERT_TRUE(com5_.wait_for(
        [&](const std::vector<JournalEntry>& journal) {
            conn = download_connection(journal);
            return conn && connection_closed(journal, conn);
        },
        kExchangeMs));
    std::string expected = "1B 40 00 1B 26 31";
    for (const Drawn& d : drawn) {
        char header[32];
        std::snprintf(header, sizeof header, " 1B 26 33 %02X %02X ", d.code, d.code);
        expected += header;
        expected += d.rows;
    }
    const std::vector<JournalEntry> journal = com5_.entries();
    EXPECT_EQ(connection_bytes(journal, conn), expected);
    std::vector<std::string> definitions;
    for (const JournalEntry& e : journal)
        if (e.name == "font_define")
            definitions.push_back(e.hex.substr(9, 5));
    EXPECT_EQ(definitions, (std::vector<std::string>{"41 41", "42 42", "7E 7E"}));
    // What the printer holds of font B once the connection ended.
    ASSERT_TRUE(com5_.wait_for(
        [](const std::vector<JournalEntry>& all) {
            for (const JournalEntry& e : all)
                if (e.name == "font_image")
                    return true;
            return false;
        },
        kExchangeMs));
    std::string image;
    for (const JournalEntry& e : com5_.entries())
        if (e.name == "font_image")
            image = e.line;
    EXPECT_NE(image.find("\"font\":\"B\""), std::string::npos) << image;
    EXPECT_NE(image.find("\"defined\":3"), std::string::npos) << image;

    expect_closes_without_a_question(program, editor);
}

// Every code of font A defined, reset and test print: 3 + 224 x 53 + 253 = 12128
// bytes, written in chunks of 2048 with a pause of a millisecond a byte after each.
TEST_F(FontEndToEnd, AFullFontADownloadGoesOutInSixPacedChunks) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string font_path = std::string(temp) + "tq350 every code.fnt";
    {
        std::vector<char> file(10976, 0);
        for (int code = 32; code <= 255; ++code) {
            const size_t at = static_cast<size_t>(code - 32) * 49;
            file[at] = static_cast<char>(code);
            for (size_t row = 0; row < 24; ++row)
                file[at + 1 + row * 2] = static_cast<char>(code ^ row);
        }
        std::ofstream(font_path, std::ios::binary).write(file.data(), 10976);
    }
    Program program;
    ASSERT_TRUE(program.started());
    HWND editor = open_font_editor(program);
    ASSERT_NE(editor, nullptr);
    post_click(editor, IDC_FONT_LOAD);
    HWND open = program.wait_for_popup("Open", kExchangeMs);
    ASSERT_NE(open, nullptr);
    for (int id : {0x47C, 0x480}) // the file name box: cmb13, or edt1
        SetDlgItemTextA(open, id, font_path.c_str());
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(program.wait_gone(open, kExchangeMs));

    post_click(editor, IDC_FONT_DOWNLOAD);
    answer(program, "Do You want to reset downloadable font first?", IDYES);
    answer(program, "Are You want to print test of downloaded symbols?", IDYES);
    int conn = 0;
    ASSERT_TRUE(com5_.wait_for(
        [&](const std::vector<JournalEntry>& journal) {
            conn = download_connection(journal);
            return conn && connection_closed(journal, conn);
        },
        2 * kExchangeMs));

    // Each command with the sequence bytes it ends at; the greeting is not part
    // of the sequence.
    struct Command {
        size_t end;
        double t;
        std::string name;
    };
    std::vector<Command> commands;
    double closed_at = -1;
    size_t offset = 0;
    int definitions = 0;
    for (const JournalEntry& e : com5_.entries()) {
        if (e.conn != conn)
            continue;
        if (e.name == "close")
            closed_at = journal_time(e);
        if (e.hex.empty() || e.name == "greeting" || e.name == "noise")
            continue;
        offset += byte_count(e.hex);
        commands.push_back({offset, journal_time(e), e.name});
        definitions += e.name == "font_define";
        if (e.name == "font_define") {
            const int code = std::stoi(e.hex.substr(9, 2), nullptr, 16);
            char rows[8];
            std::snprintf(rows, sizeof rows, "%02X 00", code ^ 23);
            EXPECT_EQ(e.hex.substr(e.hex.size() - 5), rows) << "row 23 of code " << code;
        }
    }
    EXPECT_EQ(offset, 12128u);
    EXPECT_EQ(definitions, 224);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front().name, "font_reset");

    // The printer journals a command once its last byte arrived. After each of
    // the first five chunks, the next command waits for the pause to end.
    for (size_t chunk = 1; chunk <= 5; ++chunk) {
        SCOPED_TRACE(testing::Message() << "pause after chunk " << chunk);
        const size_t boundary = chunk * 2048;
        size_t next = 0;
        while (next < commands.size() && commands[next].end <= boundary)
            ++next;
        ASSERT_GT(next, 0u);
        ASSERT_LT(next, commands.size());
        const double gap_ms = (commands[next].t - commands[next - 1].t) * 1000;
        EXPECT_GE(gap_ms, 2048 - 5);
        EXPECT_LT(gap_ms, 2048 + 400);
    }
    // The last chunk, 12128 - 5 x 2048 = 1888 bytes, is followed by its pause
    // before the port closes.
    const double last_gap_ms = (closed_at - commands.back().t) * 1000;
    EXPECT_GE(last_gap_ms, 1888 - 5);
    EXPECT_LT(last_gap_ms, 1888 + 400);
    // Nowhere else does the line stand still.
    int pauses = 0;
    for (size_t i = 1; i < commands.size(); ++i)
        pauses += commands[i].t - commands[i - 1].t > 1.0;
    EXPECT_EQ(pauses, 5);

    // The test print: after a feed of 34 dots, the 224 codes in lines of 32
    // characters 12 dots wide and 24 high, each drawn from the file's rows: row r
    // of code c is c ^ r in its first byte (dots 0 to 7, the leftmost the high bit)
    // and blank in the second.
    ASSERT_TRUE(com5_.wait_for([&](const auto& all) { return !paper_file(all, conn).empty(); },
                               kExchangeMs));
    PaperPage page;
    std::string error;
    ASSERT_TRUE(read_paper_page(paper_file(com5_.entries(), conn), page, error)) << error;
    ASSERT_EQ(page.width, 384);
    ASSERT_GE(page.height, 34 + 7 * 24);
    int wrong = 0;
    for (int y = 0; y < 34 + 7 * 24; ++y) {
        for (int x = 0; x < 384; ++x) {
            bool expected = false;
            if (y >= 34) {
                const int code = 32 + (y - 34) / 24 * 32 + x / 12;
                const int row = (y - 34) % 24, dot = x % 12;
                expected = dot < 8 && (((code ^ row) >> (7 - dot)) & 1);
            }
            if (page.dot(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "dot " << x << "," << y << " should be "
                              << (expected ? "black" : "blank");
        }
    }
    EXPECT_EQ(wrong, 0);

    expect_closes_without_a_question(program, editor);
    DeleteFileA(font_path.c_str());
}

} // namespace
} // namespace tq350::e2e
