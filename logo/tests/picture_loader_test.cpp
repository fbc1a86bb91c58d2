// The picture loader under Wine: one real file down each path (LoadImage, a
// top-down bitmap file copied by rows, the OLE decoder), the open-file dialog,
// and broken files that must come back as nothing, quietly and leaving nothing
// behind. The header checks themselves are the core's tests.
#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tests/win_test_support.h"
#include "logo/picture_loader.h"
#include "logo/tests/test_pictures.h"
#include "win32/lazy_library.h"

namespace tq350::logo::test {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;

class PictureLoaderTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (HBITMAP bitmap : loaded_)
            DeleteObject(bitmap);
        gui_objects_.expect_none_left("after the test");
    }
    HBITMAP load(const std::string& path) {
        HBITMAP bitmap = LoadPictureFile(path.c_str());
        if (bitmap)
            loaded_.push_back(bitmap);
        return bitmap;
    }
    ::tq350::test::GuiObjectWatch gui_objects_;
    std::vector<HBITMAP> loaded_;
};

// Each picture at its natural size (metafiles at 96 dots per inch), upright
// (dark at the top, light at the bottom where `upright` is set), on white
// where it is transparent, and a bitmap file keeping its own depth.
TEST_F(PictureLoaderTest, EachPathGivesThePictureUprightOnWhite) {
    const RECT top_rows{0, 0, 40, 2};
    const Bytes colour = box_bitmap_file(40, 6, 24, top_rows);
    const std::string mono = write_scratch_file("mono.bmp", box_bitmap_file(40, 5, 1, top_rows));
    const std::string down =
        write_scratch_file("down.bmp", bitmap_file(8, -6, 1, 40, {0, 0xFFFFFF},
                                                   {{0}, {0}, {255}, {255}, {255}, {255}}));
    const std::string jpeg = write_scratch_file("jpeg.bmp", read_file(built_picture("photo.jpg")));
    const auto& built = built_picture;
    struct Case {
        const char* label;
        std::string path;
        int width, height, bits; // bits 0: the screen's, in a device-dependent bitmap
        bool upright;
        POINT white, coloured;
        std::uint32_t colour;
    } const cases[] = {
        {"1-bit BMP", mono, 40, 5, 1, true, {1, 4}, {1, 1}, kBlack},
        {"24-bit BMP", write_scratch_file("colour.bmp", colour), 40, 6, 24, true, {1, 5}, {}, 0},
        {"BMP rows stored top first", down, 8, 6, 1, true, {1, 5}, {1, 0}, kBlack},
        {"GIF transparency", built("transparent.gif"), 60, 40, 0, false, {2, 2}, {}, 0},
        {"opaque GIF", built("opaque.gif"), 60, 40, 0, false, {}, {20, 20}, 0x0000FF},
        {"GIF top band", built("top-band.gif"), 40, 30, 0, true, {1, 29}, {1, 0}, kBlack},
        {"JPEG", built("photo.jpg"), 120, 80, 0, true, {}, {}, 0},
        {"icon mask", built("icon.ico"), 32, 32, 0, false, {1, 1}, {16, 16}, 0x008000},
        {"EMF, 1 x 0.5 inch", built("frame.emf"), 96, 48, 0, false, {2, 2}, {48, 24}, 0xFF0000},
        {"WMF, 2 x 1 inch", built("frame.wmf"), 192, 96, 0, false, {2, 2}, {96, 48}, 0x00FF00},
        // The content decides, not the name.
        {"JPEG named .bmp", jpeg, 120, 80, 0, true, {}, {}, 0},
        {"no extension", write_scratch_file("bitmap", colour), 40, 6, 24, true, {}, {}, 0},
    };
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96) << "the metafile sizes above";
    const int screen_bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HBITMAP bitmap = load(c.path);
        ASSERT_NE(bitmap, nullptr) << c.path;
        const LoadedBitmap loaded = describe(bitmap);
        EXPECT_EQ(loaded.width, c.width);
        EXPECT_EQ(loaded.height, c.height);
        EXPECT_EQ(loaded.bits_per_pixel, c.bits ? c.bits : screen_bits);
        EXPECT_EQ(loaded.dib_section, c.bits != 0);
        if (c.upright) {
            EXPECT_LT(pixel(bitmap, 1, 0) & 0xFF, 0x40u);
            EXPECT_GT(pixel(bitmap, 1, c.height - 1) & 0xFF, 0xC0u);
        }
        if (c.white.x || c.white.y) {
            EXPECT_EQ(pixel(bitmap, c.white.x, c.white.y), kWhite);
        }
        if (c.coloured.x || c.coloured.y) {
            EXPECT_EQ(pixel(bitmap, c.coloured.x, c.coloured.y), c.colour);
        }
    }
}

// Broken files: a good file of each type empty, cut short and with its first
// byte changed, files claiming sizes far past the budget (60000 x 60000 dots,
// a GIF screen of 65535 x 65535, an EMF frame of 100 m, a WMF box of 437
// inches), and others. Each gives nothing, quietly, and leaves no object, no
// heap block and no lasting memory behind; none makes the process use more
// than a few tens of MB, as a decoder does that trusts a size its file cannot
// fill.
TEST_F(PictureLoaderTest, BrokenFilesGiveNothingAndCostNothing) {
    const Bytes bmp = box_bitmap_file(100, 60, 24, {10, 10, 20, 20});
    const Bytes gif = read_file(built_picture("opaque.gif"));
    const Bytes emf = read_file(built_picture("frame.emf")),
                wmf = read_file(built_picture("frame.wmf"));
    std::vector<std::pair<std::string, std::string>> cases; // label, path
    const auto add = [&](const std::string& label, const Bytes& bytes) {
        cases.emplace_back(label, write_scratch_file("broken " + label, bytes));
    };
    for (const auto& [name, b] : {std::pair<std::string, Bytes>{"BMP.bmp", bmp},
                                  {"GIF.gif", gif},
                                  {"JPEG.jpg", read_file(built_picture("photo.jpg"))},
                                  {"icon.ico", read_file(built_picture("icon.ico"))},
                                  {"EMF.emf", emf},
                                  {"WMF.wmf", wmf}}) {
        ASSERT_NE(load(write_scratch_file(name, b)), nullptr) << "the good " << name;
        add("empty " + name, {});
        for (std::size_t at : {std::size_t{2}, std::size_t{30}, b.size() / 2, b.size() - 2})
            add("cut at " + std::to_string(at) + " " + name, cut(b, at));
        add("first byte changed " + name, with(b, 0, b[0] ^ 0xFFu, 1));
    }
    add("huge BMP", with(with(bmp, 18, 60000), 22, 60000));
    add("huge GIF", with(gif, 6, 0xFFFFFFFF));
    add("huge EMF", with(with(emf, 32, 10000000), 36, 10000000));
    add("huge WMF", with(with(wmf, 10, 32767, 2), 12, 32767, 2));
    add("text.bmp", {'h', 'e', 'l', 'l', 'o', '\r', '\n'});
    add("plain.wmf", Bytes(wmf.begin() + 22, wmf.end()));
    // Larger than any picture within the budget could be: not even read.
    const std::string huge = write_scratch_file("huge file.bmp", bmp);
    std::filesystem::resize_file(huge, std::uintmax_t{300} << 20);
    cases.emplace_back("BMP of 300 MB", huge);
    cases.emplace_back("no such file", scratch_path("no such file.bmp"));

    // The first pass watches the memory the process uses; the second, with
    // everything the decoders make at their first use already made, that
    // each load gives back every object and heap block.
    const ::tq350::test::MemoryPeak peak;
    constexpr std::int64_t kMostMemory = 32 << 20;
    for (const auto& [label, path] : cases) {
        SCOPED_TRACE(label);
        // The peak never comes down: the case that raised it answers for it.
        const bool within_so_far = peak.growth() < kMostMemory;
        EXPECT_EQ(load(path), nullptr);
        if (within_so_far) {
            EXPECT_LT(peak.growth(), kMostMemory) << "bytes used at the most";
        }
    }
    for (const auto& [label, path] : cases) {
        SCOPED_TRACE(label);
        const ::tq350::test::GuiObjectWatch objects;
        EXPECT_TRUE(::tq350::test::leaves_heaps_as_found(
            [&] { DeleteObject(LoadPictureFile(path.c_str())); }));
        objects.expect_none_left();
    }
}

// The open-file dialog shows its title and the picture types first;
// cancelled, it gives nothing (that the file chosen in it loads is the
// end-to-end suite's). The file dialogs and the decoder come from libraries
// loaded at first use: without one, the dialog or the decoder fails as it may
// anyway, with no dialog, no picture, nothing left behind and no crash.
TEST_F(PictureLoaderTest, OpenDialogAndDecoderWithAndWithoutTheirLibraries) {
    ::tq350::test::make_file_dialog_caches();
    gui_objects_ = {};
    static std::string offered;
    static HWND dialog = nullptr;
    ::tq350::test::ModalAnswerer answerer;
    answerer.on_open = [](HWND window) {
        dialog = window;
        // Its type list is filled in once it is up, from its own message loop.
        SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            char text[256] = {};
            GetDlgItemTextA(dialog, cmb1, text, sizeof text);
            offered = text;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
    };
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    EXPECT_EQ(LoadPicture(owner), nullptr);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].caption, "Open Picture File");
    EXPECT_EQ(offered, "Supported Files Types(*.bmp;*.gif;*.jpg;*.ico;*.emf;*.wmf)");

    static std::string missing;
    const win32::LibraryLoader system_loader = win32::g_load_library;
    win32::g_load_library = [](const char* file_name) {
        return missing == file_name ? nullptr : LoadLibraryA(file_name);
    };
    const std::string gif = built_picture("opaque.gif");
    for (const char* library : {"comdlg32.dll", "ole32.dll", "oleaut32.dll"}) {
        SCOPED_TRACE(library);
        missing = library;
        EXPECT_TRUE(::tq350::test::leaves_heaps_as_found([&] {
            EXPECT_EQ(missing == "comdlg32.dll" ? LoadPicture(owner) : LoadPictureFile(gif.c_str()),
                      nullptr);
        }));
    }
    EXPECT_EQ(answerer.seen().size(), 1u) << "a dialog opened";
    win32::g_load_library = system_loader;
    EXPECT_NE(load(gif), nullptr) << "with its libraries back";
    DestroyWindow(owner);
}

} // namespace
} // namespace tq350::logo::test
