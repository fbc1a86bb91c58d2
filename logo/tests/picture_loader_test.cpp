// The picture loader under Wine with real files of every type it takes, and
// with broken ones that must come back as nothing, quietly.
#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logo/picture_loader.h"
#include "test_pictures.h"
#include "win_test_support.h"

namespace tq350::logo::test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

class PictureLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    void TearDown() override {
        for (HBITMAP bitmap : loaded_)
            DeleteObject(bitmap);
        g_ask_for_picture_file = AskForPictureFile;
        gui_objects_.expect_none_left("after the test");
    }
    HBITMAP load(const std::string& path) {
        HBITMAP bitmap = LoadPictureFile(path.c_str());
        if (bitmap)
            loaded_.push_back(bitmap);
        return bitmap;
    }
    ::tq350::test::GuiObjectWatch gui_objects_;
    int dpi_ = 0;
    std::vector<HBITMAP> loaded_;
};

TEST_F(PictureLoaderTest, EachTypeLoadsAtItsSizeAndKind) {
    ASSERT_EQ(dpi_, 96) << "the sizes below are for a screen of 96 dots per inch";
    const int screen = screen_bits_per_pixel();
    const RECT box{2, 1, 6, 3};
    struct Case {
        std::string label;
        std::string path;
        int width, height, bits;
        bool dib_section;
    };
    const Case cases[] = {
        {"1-bit BMP, black first", write_scratch_file("mono.bmp", box_bitmap_file(33, 5, 1, box)),
         33, 5, 1, true},
        {"1-bit BMP, white first",
         write_scratch_file("mono-white-first.bmp", box_bitmap_file(33, 5, 1, box, true)), 33, 5, 1,
         true},
        {"4-bit BMP", write_scratch_file("four.bmp", box_bitmap_file(9, 7, 4, box)), 9, 7, 4, true},
        {"8-bit BMP", write_scratch_file("eight.bmp", box_bitmap_file(10, 6, 8, box)), 10, 6, 8,
         true},
        {"24-bit BMP", write_scratch_file("colour.bmp", box_bitmap_file(11, 4, 24, box)), 11, 4, 24,
         true},
        {"32-bit BMP", write_scratch_file("deep.bmp", box_bitmap_file(12, 3, 32, box)), 12, 3, 32,
         true},
        {"GIF", built_picture("opaque.gif"), 60, 40, screen, false},
        {"GIF with transparency", built_picture("transparent.gif"), 60, 40, screen, false},
        {"JPEG", built_picture("photo.jpg"), 120, 80, screen, false},
        {"icon", built_picture("icon.ico"), 32, 32, screen, false},
        // One inch by half an inch.
        {"EMF", write_scratch_file("frame.emf", enhanced_metafile(2540, 1270)), 96, 48, screen,
         false},
        // 150 units at 75 to the inch: two inches.
        {"placeable WMF", write_scratch_file("placeable.wmf", windows_metafile(150, 75, 75, true)),
         192, 96, screen, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HBITMAP bitmap = load(c.path);
        ASSERT_NE(bitmap, nullptr) << c.path;
        const LoadedBitmap loaded = describe(bitmap);
        EXPECT_EQ(loaded.width, c.width);
        EXPECT_EQ(loaded.height, c.height);
        EXPECT_EQ(loaded.bits_per_pixel, c.bits);
        EXPECT_EQ(loaded.dib_section, c.dib_section);
    }
}

TEST_F(PictureLoaderTest, OneBitFileKeepsItsColourTableOrder) {
    const RECT box{0, 0, 8, 1};
    HBITMAP black_first = load(write_scratch_file("order-bw.bmp", box_bitmap_file(16, 2, 1, box)));
    HBITMAP white_first =
        load(write_scratch_file("order-wb.bmp", box_bitmap_file(16, 2, 1, box, true)));
    ASSERT_NE(black_first, nullptr);
    ASSERT_NE(white_first, nullptr);
    EXPECT_EQ(colour_table(black_first), (std::array<std::uint32_t, 2>{kBlack, kWhite}));
    EXPECT_EQ(colour_table(white_first), (std::array<std::uint32_t, 2>{kWhite, kBlack}));
    for (HBITMAP bitmap : {black_first, white_first}) {
        EXPECT_EQ(pixel(bitmap, 0, 0), kBlack);
        EXPECT_EQ(pixel(bitmap, 8, 0), kWhite);
        EXPECT_EQ(pixel(bitmap, 0, 1), kWhite);
    }
}

// Transparent parts print as paper: white, not whatever a new bitmap held.
TEST_F(PictureLoaderTest, TransparentPartsComeOutWhite) {
    struct Case {
        const char* label;
        std::string path;
        POINT outside;
        std::uint32_t outside_colour;
        POINT inside;
        std::uint32_t inside_colour;
    };
    const Case cases[] = {
        {"GIF transparency", built_picture("transparent.gif"), {2, 2}, kWhite, {30, 20}, kBlack},
        {"icon mask", built_picture("icon.ico"), {0, 0}, kWhite, {16, 16}, 0x008000},
        {"EMF background",
         write_scratch_file("background.emf", enhanced_metafile(2540, 1270)),
         {2, 2},
         kWhite,
         {48, 24},
         0xFF0000},
        {"WMF background",
         write_scratch_file("background.wmf", windows_metafile(150, 75, 75, true)),
         {2, 2},
         kWhite,
         {96, 48},
         0x00FF00},
        {"opaque GIF keeps its colours",
         built_picture("opaque.gif"),
         {2, 2},
         0xFF0000,
         {20, 20},
         0x0000FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HBITMAP bitmap = load(c.path);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(pixel(bitmap, c.outside.x, c.outside.y), c.outside_colour);
        EXPECT_EQ(pixel(bitmap, c.inside.x, c.inside.y), c.inside_colour);
    }
}

// The top of the picture is the top of the bitmap, whichever way the file
// stores its rows.
TEST_F(PictureLoaderTest, PicturesComeOutUpright) {
    const RECT top_rows{0, 0, 8, 2};
    struct Case {
        const char* label;
        std::string path;
        int height;
    };
    const Case cases[] = {
        {"BMP stored bottom-up", write_scratch_file("up.bmp", box_bitmap_file(8, 6, 24, top_rows)),
         6},
        {"BMP stored top-down",
         write_scratch_file("down.bmp",
                            bitmap_file(8, 6, 1, {{0, 0, 0, 0}, {255, 255, 255, 0}},
                                        {{0x00}, {0x00}, {0xFF}, {0xFF}, {0xFF}, {0xFF}}, true)),
         6},
        {"GIF", built_picture("top-band.gif"), 30},
        {"JPEG", built_picture("photo.jpg"), 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HBITMAP bitmap = load(c.path);
        ASSERT_NE(bitmap, nullptr);
        // Dark at the top, light at the bottom (the JPEG is a gradient).
        EXPECT_LT(pixel(bitmap, 1, 0) & 0xFF, 0x40u);
        EXPECT_GT(pixel(bitmap, 1, c.height - 1) & 0xFF, 0xC0u);
    }
}

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes with_u32(Bytes bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    return bytes;
}

Bytes with_u16_big(Bytes bytes, std::size_t at, unsigned v) {
    bytes.at(at) = static_cast<std::uint8_t>(v >> 8);
    bytes.at(at + 1) = static_cast<std::uint8_t>(v);
    return bytes;
}

// The offset of a JPEG's frame header (SOF0 or SOF2).
std::size_t frame_header(const Bytes& jpeg) {
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2))
            return i;
    return 0;
}

// Every one of these once crashed the decoder under Wine, allocated without
// bound, or produced a picture from a file that is not a picture of its type.
TEST_F(PictureLoaderTest, BrokenFilesGiveNothingQuietly) {
    const Bytes bmp = box_bitmap_file(100, 60, 24, {10, 10, 20, 20});
    const Bytes gif = read_file(built_picture("opaque.gif"));
    const Bytes jpeg = read_file(built_picture("photo.jpg"));
    const Bytes icon = read_file(built_picture("icon.ico"));
    const Bytes emf = enhanced_metafile(2540, 1270);
    const Bytes wmf = windows_metafile(150, 75, 75, true);
    ASSERT_GT(gif.size(), 40u);
    ASSERT_GT(jpeg.size(), 300u);
    const std::size_t sof = frame_header(jpeg);
    ASSERT_NE(sof, 0u);
    struct Case {
        const char* label;
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty BMP", "empty.bmp", {}},
        {"empty GIF", "empty.gif", {}},
        {"BMP cut in its file header", "cut1.bmp", cut(bmp, 10)},
        {"BMP cut in its info header", "cut2.bmp", cut(bmp, 30)},
        {"BMP cut in its pixels", "cut3.bmp", cut(bmp, bmp.size() / 2)},
        {"BMP one byte short", "cut4.bmp", cut(bmp, bmp.size() - 1)},
        {"BMP claiming 60000 x 60000", "huge.bmp", with_u32(with_u32(bmp, 18, 60000), 22, 60000)},
        {"GIF cut in its header", "cut1.gif", cut(gif, 11)},
        {"GIF cut in its pixels", "cut2.gif", cut(gif, gif.size() - 4)},
        {"GIF claiming 65535 x 65535", "huge.gif",
         [&] {
             Bytes b = gif;
             for (std::size_t i = 0; i + 9 < b.size(); ++i)
                 if (b[i] == 0x2C) { // the image descriptor
                     b[i + 5] = b[i + 6] = b[i + 7] = b[i + 8] = 0xFF;
                     break;
                 }
             return b;
         }()},
        {"JPEG cut in its frame header", "cut1.jpg", cut(jpeg, sof + 6)},
        {"JPEG cut in its scan", "cut2.jpg", cut(jpeg, jpeg.size() / 2)},
        {"JPEG missing its last byte", "cut3.jpg", cut(jpeg, jpeg.size() - 1)},
        {"JPEG claiming 65000 x 65000", "huge.jpg",
         with_u16_big(with_u16_big(jpeg, sof + 5, 65000), sof + 7, 65000)},
        {"icon cut in its image", "cut.ico", cut(icon, icon.size() - 10)},
        {"EMF cut in a record", "cut.emf", cut(emf, emf.size() - 8)},
        // A frame of 100 m by 100 m: far beyond any bitmap the loader makes.
        {"EMF claiming 100 m x 100 m", "huge.emf", enhanced_metafile(10000000, 10000000)},
        {"WMF cut in a record", "cut.wmf", cut(wmf, wmf.size() - 4)},
        {"WMF without the placeable header", "plain.wmf", windows_metafile(150, 75, 75, false)},
        {"GIF saved as JPEG", "gif.jpg", gif},
        {"JPEG saved as BMP", "jpeg.bmp", jpeg},
        {"text saved as BMP", "text.bmp", {'h', 'e', 'l', 'l', 'o', '\r', '\n'}},
        {"BMP under an unknown extension", "picture.png", bmp},
    };
    const ::tq350::test::GuiObjectWatch objects;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(load(write_scratch_file(c.name, c.bytes)), nullptr);
    }
    EXPECT_EQ(load(scratch_path("no such file.bmp")), nullptr);
    objects.expect_none_left("every path releases what it made");
}

// What the open-file dialog showed, and how to answer it.
struct OpenDialogVisit {
    std::vector<std::string> titles;
    std::vector<std::string> types;
    std::string answer; // the file name to type, or "" to cancel
    HWND dialog = nullptr;
};
OpenDialogVisit g_visit;

// Runs from the dialog's own message loop once it is up and filled in.
void CALLBACK answer_open_dialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    char text[256] = {};
    HWND type_list = GetDlgItem(g_visit.dialog, cmb1);
    const LRESULT count = SendMessageA(type_list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        SendMessageA(type_list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        g_visit.types.push_back(text);
    }
    if (!g_visit.answer.empty())
        SetDlgItemTextA(g_visit.dialog, cmb13, g_visit.answer.c_str());
    PostMessageA(g_visit.dialog, WM_COMMAND,
                 MAKEWPARAM(g_visit.answer.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
}

// The real open-file dialog, answered the way a user would.
TEST_F(PictureLoaderTest, OpenDialogOffersTheTypesAndLoadsTheChosenFile) {
    ::tq350::test::make_file_dialog_caches();
    gui_objects_ = {};
    g_visit = {};
    g_visit.answer = built_picture("opaque.gif");
    ::tq350::test::ModalAnswerer answerer;
    answerer.on_open = [](HWND window) {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        g_visit.titles.push_back(text);
        if (g_visit.dialog) {
            // Anything else (a complaint about the name) fails the test
            // instead of leaving the dialog open for ever.
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            PostMessageA(g_visit.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        g_visit.dialog = window;
        SetTimer(nullptr, 0, 10, answer_open_dialog);
    };
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    HBITMAP bitmap = LoadPicture(owner);
    if (bitmap)
        loaded_.push_back(bitmap);
    EXPECT_EQ(g_visit.titles, std::vector<std::string>{"Open Picture File"});
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(describe(bitmap).width, 60);
    EXPECT_EQ(g_visit.types,
              (std::vector<std::string>{
                  "Supported Files Types(*.bmp;*.gif;*.jpg;*.ico;*.emf;*.wmf)", "Bitmaps (*.bmp)",
                  "GIF Files (*.gif)", "JPEG Files (*.jpg)", "Icons (*.ico)",
                  "Enhanced Metafiles (*.emf)", "Windows Metafiles (*.wmf)"}));

    g_visit = {};
    EXPECT_EQ(LoadPicture(owner), nullptr) << "cancelled";
    EXPECT_EQ(g_visit.titles, std::vector<std::string>{"Open Picture File"});
    DestroyWindow(owner);
}

TEST_F(PictureLoaderTest, NoFileChosenIsNothing) {
    static int asked = 0;
    asked = 0;
    g_ask_for_picture_file = [](HWND) {
        ++asked;
        return std::string();
    };
    EXPECT_EQ(LoadPicture(nullptr), nullptr);
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace tq350::logo::test
