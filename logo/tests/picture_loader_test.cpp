// The picture loader under Wine with real files of every type it takes, and
// with broken ones that must come back as nothing, quietly.
#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "logo/picture_loader.h"
#include "logo/tests/test_pictures.h"
#include "app/tests/win_test_support.h"

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

Bytes with_u16(Bytes bytes, std::size_t at, unsigned v) {
    bytes.at(at) = static_cast<std::uint8_t>(v);
    bytes.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
    return bytes;
}

Bytes with_u32(Bytes bytes, std::size_t at, std::uint32_t v) {
    return with_u16(with_u16(std::move(bytes), at, v & 0xFFFF), at + 2, v >> 16);
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

// The offset of a GIF's first image descriptor: after the screen descriptor,
// its colour table and the extension blocks.
std::size_t image_descriptor(const Bytes& gif) {
    std::size_t at = 13 + ((gif.at(10) & 0x80) ? 3u << ((gif.at(10) & 7) + 1) : 0);
    while (gif.at(at) == 0x21) {
        at += 2;
        while (gif.at(at) != 0)
            at += gif.at(at) + 1u;
        ++at;
    }
    return at;
}

// A good file of each type the loader opens, and where it keeps the size of
// its picture: what the mutations below cut short, break and inflate.
struct GoodPicture {
    const char* type;
    const char* extension;
    Bytes bytes;
    std::size_t header; // bytes of its headers, up to the first pixel or record
    // The file claiming another size, in its own units.
    std::function<Bytes(Bytes, std::uint32_t width, std::uint32_t height)> claim;
    SIZE huge;        // far beyond the loader's pixel budget
    SIZE beyond_data; // within the budget, far beyond what the data can fill; 0 x 0: none
};

std::vector<GoodPicture> good_pictures() {
    const Bytes jpeg = read_file(built_picture("photo.jpg"));
    const Bytes gif = read_file(built_picture("opaque.gif"));
    const std::size_t sof = frame_header(jpeg);
    const std::size_t descriptor = image_descriptor(gif);
    return {
        {"BMP",
         ".bmp",
         box_bitmap_file(100, 60, 24, {10, 10, 20, 20}),
         54,
         [](Bytes b, std::uint32_t w, std::uint32_t h) {
             return with_u32(with_u32(b, 18, w), 22, h);
         },
         {60000, 60000},
         {8000, 8000}},
        {"GIF",
         ".gif",
         gif,
         descriptor + 10,
         [descriptor](Bytes b, std::uint32_t w, std::uint32_t h) {
             return with_u16(with_u16(b, descriptor + 5, w), descriptor + 7, h);
         },
         {65535, 65535},
         {8000, 8000}},
        {"JPEG",
         ".jpg",
         jpeg,
         sof + 2 + (jpeg.at(sof + 2) << 8 | jpeg.at(sof + 3)),
         [sof](Bytes b, std::uint32_t w, std::uint32_t h) {
             return with_u16_big(with_u16_big(b, sof + 5, h), sof + 7, w);
         },
         {65000, 65000},
         {8000, 8000}},
        // The directory entry at 6, the image's own header at 22.
        {"icon",
         ".ico",
         read_file(built_picture("icon.ico")),
         22 + 40,
         [](Bytes b, std::uint32_t w, std::uint32_t h) {
             b.at(6) = b.at(7) = 0;
             return with_u32(with_u32(b, 22 + 4, w), 22 + 8, 2 * h);
         },
         {65535, 65535},
         {256, 256}},
        // The frame in 0.01 mm: 100 m square.
        {"EMF",
         ".emf",
         enhanced_metafile(2540, 1270),
         88,
         [](Bytes b, std::uint32_t w, std::uint32_t h) {
             return with_u32(with_u32(b, 32, w), 36, h);
         },
         {10000000, 10000000},
         {0, 0}},
        // The bounding box in units, 75 to the inch: 32767 units are 437 inches.
        {"WMF",
         ".wmf",
         windows_metafile(150, 75, 75, true),
         22 + 18,
         [](Bytes b, std::uint32_t w, std::uint32_t h) {
             return with_u16(with_u16(b, 10, w), 12, h);
         },
         {32767, 32767},
         {0, 0}},
    };
}

// Of a file of `size` bytes, only the first `bytes` written: the rest reads
// as zeros and takes no room on the disk.
std::string write_scratch_file_of_size(const std::string& name, const Bytes& bytes,
                                       std::int64_t size) {
    const std::string path = write_scratch_file(name, bytes);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    return path;
}

// Broken files made from the good ones: empty, cut at several points, with
// the wrong magic, claiming huge sizes, under the wrong extension. Each gives
// nothing, quietly, and leaves no object, no heap block and no lasting
// memory behind; none makes the process use more than a few tens of MB, as
// a decoder does that trusts a size its file cannot fill.
TEST_F(PictureLoaderTest, BrokenFilesGiveNothingAndCostNothing) {
    struct Case {
        std::string label;
        std::string path;
    };
    std::vector<Case> cases;
    const auto add = [&](const std::string& label, const std::string& name, const Bytes& bytes) {
        cases.push_back({label, write_scratch_file(name, bytes)});
    };
    const std::vector<GoodPicture> goods = good_pictures();
    for (std::size_t i = 0; i < goods.size(); ++i) {
        const GoodPicture& good = goods[i];
        const Bytes& b = good.bytes;
        const std::string type = good.type;
        const std::string stem = "broken " + type;
        ASSERT_GT(b.size(), good.header + 4) << type;
        const HBITMAP loaded =
            LoadPictureFile(write_scratch_file(type + good.extension, b).c_str());
        ASSERT_NE(loaded, nullptr) << "the good " << type << " the others are made from";
        DeleteObject(loaded);
        add(type + " empty", stem + " empty" + good.extension, {});
        for (std::size_t at : {std::size_t{2}, good.header - 1, b.size() / 2, b.size() - 2})
            add(type + " cut at " + std::to_string(at),
                stem + " cut " + std::to_string(at) + good.extension,
                Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(at)));
        Bytes magic = b;
        magic[0] ^= 0xFF;
        add(type + " with its first byte changed", stem + " magic" + good.extension, magic);
        add(type + " claiming a huge picture", stem + " huge" + good.extension,
            good.claim(b, good.huge.cx, good.huge.cy));
        if (good.beyond_data.cx)
            add(type + " claiming more than its data holds", stem + " beyond" + good.extension,
                good.claim(b, good.beyond_data.cx, good.beyond_data.cy));
        const GoodPicture& other = goods[(i + 1) % goods.size()];
        add(type + " named " + other.extension, stem + other.extension, b);
    }
    add("BMP named .png", "broken.png", goods[0].bytes);
    add("text named .bmp", "text.bmp", {'h', 'e', 'l', 'l', 'o', '\r', '\n'});
    add("WMF without the placeable header", "plain.wmf", windows_metafile(150, 75, 75, false));
    // Larger than any picture within the budget could be: not even read.
    cases.push_back({"BMP of 300 MB", write_scratch_file_of_size("huge file.bmp", goods[0].bytes,
                                                                 std::int64_t{300} << 20)});
    cases.push_back({"no such file", scratch_path("no such file.bmp")});

    // The first pass watches the memory the process uses; the second, with
    // everything the decoders make at their first use already made, that
    // each load gives back every object and heap block.
    const ::tq350::test::MemoryPeak peak;
    constexpr std::int64_t kMostMemory = 32 << 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        // The peak never comes down: the case that raised it answers for it.
        const bool within_so_far = peak.growth() < kMostMemory;
        HBITMAP bitmap = LoadPictureFile(c.path.c_str());
        EXPECT_EQ(bitmap, nullptr);
        DeleteObject(bitmap);
        if (within_so_far) {
            EXPECT_LT(peak.growth(), kMostMemory) << "bytes used at the most";
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ::tq350::test::GuiObjectWatch objects;
        EXPECT_TRUE(::tq350::test::leaves_heaps_as_found(
            [&] { DeleteObject(LoadPictureFile(c.path.c_str())); }));
        objects.expect_none_left();
    }
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
