#include "logo/picture_loader.h"

#include <commdlg.h>
#include <olectl.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "logo/picture_file_core.h"
#include "win32/handles.h"

namespace tq350::logo {

PictureFileQuestion g_ask_for_picture_file = AskForPictureFile;

namespace {

struct FilterPair {
    std::string_view description;
    std::string_view patterns;
};

// Offered in this order; the first is selected when the dialog opens.
constexpr std::array<FilterPair, 7> kPictureFilters{{
    {"Supported Files Types(*.bmp;*.gif;*.jpg;*.ico;*.emf;*.wmf)",
     "*.bmp;*.gif;*.jpg;*.ico;*.emf;*.wmf"},
    {"Bitmaps (*.bmp)", "*.bmp"},
    {"GIF Files (*.gif)", "*.gif"},
    {"JPEG Files (*.jpg)", "*.jpg"},
    {"Icons (*.ico)", "*.ico"},
    {"Enhanced Metafiles (*.emf)", "*.emf"},
    {"Windows Metafiles (*.wmf)", "*.wmf"},
}};

constexpr DWORD kOpenPictureFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

// Description and patterns, each NUL-terminated, and one more NUL at the end.
std::string filter_string() {
    std::string filter;
    for (const FilterPair& pair : kPictureFilters) {
        filter.append(pair.description).push_back('\0');
        filter.append(pair.patterns).push_back('\0');
    }
    filter.push_back('\0');
    return filter;
}

// The chosen path outlives the dialog; emptied before each question, so the
// dialog opens in its default folder.
char g_file_name[MAX_PATH];

// A whole file in a movable memory block, as the stream over it wants it.
struct FileInMemory {
    GlobalBlock block{nullptr};
    DWORD size = 0; // bytes actually read
};

std::optional<FileInMemory> read_whole_file(const char* path) {
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    // A file too large for any picture within the budget is not read at all.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > max_picture_file_bytes)
        return std::nullopt;
    FileInMemory contents;
    contents.block = GlobalBlock(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart)));
    if (!contents.block)
        return std::nullopt;
    GlobalLockGuard lock(contents.block.get());
    if (!lock.data() || !ReadFile(file.get(), lock.data(), static_cast<DWORD>(size.QuadPart),
                                  &contents.size, nullptr))
        return std::nullopt;
    return contents;
}

// Renders the picture upright into the whole bitmap. The bitmap is painted
// white first: the platform leaves a new bitmap's content undefined (under
// Wine it is black), and transparent parts of a GIF, an icon's masked corners
// and a metafile's background would otherwise print as solid black.
bool render_on_white(IPicture* picture, HBITMAP bitmap, HDC screen, int width, int height,
                     OLE_XSIZE_HIMETRIC himetric_width, OLE_YSIZE_HIMETRIC himetric_height) {
    MemoryDc memory(screen);
    if (!memory)
        return false;
    Selection selected(memory.get(), bitmap);
    if (!selected)
        return false;
    PatBlt(memory.get(), 0, 0, width, height, WHITENESS);
    // The source starts at the top edge and runs down (negative height):
    // HIMETRIC's y axis points up, so this is what comes out upright.
    return SUCCEEDED(picture->Render(memory.get(), 0, 0, width, height, 0, himetric_height,
                                     himetric_width, -himetric_height, nullptr));
}

// Decodes a picture of any format the platform knows from its bytes and
// renders it into a bitmap of the screen's format at its natural size.
HBITMAP decode_picture(FileInMemory contents) {
    ComRef<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(contents.block.get(), TRUE, stream.out())))
        return nullptr;
    contents.block.release(); // the stream frees it now
    ComRef<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(contents.size), FALSE, IID_IPicture,
                              picture.out_void())) ||
        !picture)
        return nullptr;
    OLE_XSIZE_HIMETRIC himetric_width = 0;
    OLE_YSIZE_HIMETRIC himetric_height = 0;
    if (FAILED(picture->get_Width(&himetric_width)) ||
        FAILED(picture->get_Height(&himetric_height)))
        return nullptr;
    ScreenDc screen;
    if (!screen)
        return nullptr;
    const std::int64_t width =
        himetric_to_pixels(himetric_width, GetDeviceCaps(screen.get(), LOGPIXELSX));
    const std::int64_t height =
        himetric_to_pixels(himetric_height, GetDeviceCaps(screen.get(), LOGPIXELSY));
    // A metafile's frame can promise any size; the bitmap is made only when
    // the picture is within the budget.
    if (!within_picture_budget(width, height))
        return nullptr;
    OwnedBitmap bitmap(CreateBitmap(static_cast<int>(width), static_cast<int>(height),
                                    GetDeviceCaps(screen.get(), PLANES),
                                    GetDeviceCaps(screen.get(), BITSPIXEL), nullptr));
    if (!bitmap ||
        !render_on_white(picture.get(), bitmap.get(), screen.get(), static_cast<int>(width),
                         static_cast<int>(height), himetric_width, himetric_height))
        return nullptr;
    return bitmap.release();
}

// A bitmap file whose rows are stored top row first, made into a DIB section
// from its bytes: LoadImage under Wine gives such a file an all-black section.
// The section is bottom-up like every other, its rows copied in reverse.
HBITMAP section_from_top_down_file(std::span<const std::uint8_t> file) {
    const std::optional<BitmapFileLayout> layout = bitmap_file_layout(file);
    if (!layout)
        return nullptr;
    std::vector<std::uint8_t> info(
        file.begin() + static_cast<std::ptrdiff_t>(layout->info_offset),
        file.begin() + static_cast<std::ptrdiff_t>(layout->info_offset + layout->info_bytes));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biHeight = static_cast<LONG>(layout->rows);
    void* bits = nullptr;
    OwnedBitmap section(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                         DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits)
        return nullptr;
    const auto stride = static_cast<std::size_t>(layout->row_stride);
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (std::uint32_t y = 0; y < layout->rows; ++y)
        std::memcpy(rows + (layout->rows - 1 - y) * stride,
                    file.data() + layout->pixel_offset + y * stride, stride);
    return section.release();
}

} // namespace

std::string AskForPictureFile(HWND owner) {
    static const std::string filter = filter_string();
    g_file_name[0] = '\0';
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = g_file_name;
    ofn.nMaxFile = sizeof g_file_name;
    ofn.lpstrInitialDir = g_file_name;
    ofn.lpstrTitle = "Open Picture File";
    ofn.Flags = kOpenPictureFlags;
    if (!GetOpenFileNameA(&ofn))
        return {};
    return g_file_name;
}

HBITMAP LoadPicture(HWND owner) {
    const std::string path = g_ask_for_picture_file(owner);
    if (path.empty())
        return nullptr;
    return LoadPictureFile(path.c_str());
}

HBITMAP LoadPictureFile(const char* path) {
    WaitCursor wait;
    std::optional<FileInMemory> contents = read_whole_file(path);
    if (!contents)
        return nullptr;
    bool is_bitmap_file = false;
    {
        GlobalLockGuard lock(contents->block.get());
        if (!lock.data())
            return nullptr;
        const std::span file(static_cast<const std::uint8_t*>(lock.data()), contents->size);
        const std::optional<PictureHeader> header = check_picture_file(path, file);
        if (!header)
            return nullptr;
        if (header->rows_top_first)
            if (HBITMAP section = section_from_top_down_file(file))
                return section;
        is_bitmap_file = header->format == PictureFormat::bitmap;
    }
    // Bitmap files keep their depth and colour table this way; one that
    // LoadImage still refuses goes to the decoder like any other picture.
    if (is_bitmap_file) {
        if (HANDLE bitmap = LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0,
                                       LR_LOADFROMFILE | LR_CREATEDIBSECTION))
            return static_cast<HBITMAP>(bitmap);
    }
    return decode_picture(std::move(*contents));
}

} // namespace tq350::logo
