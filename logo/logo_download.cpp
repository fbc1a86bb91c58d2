#include "logo/logo_download.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "logo/logo_conversion.h"
#include "logo/logo_dialog.h"
#include "logo/logo_download_core.h"
#include "logo/picture_loader.h"
#include "res/resource.h"
#include "win32/handles.h"
#include "win32/messages.h"
#include "win32/printer_exchange.h"

namespace tq350::logo {

namespace {

HINSTANCE instance_of(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

// A 1-bit DIB section whose raster fits the printer, copied for the core;
// nothing for anything else.
std::optional<MonoBitmapCopy> downloadable_logo(HBITMAP logo) {
    PictureDescription description;
    if (!DescribeBitmap(logo, description) || !description.bits || !description.is_one_bit() ||
        !is_downloadable_logo(static_cast<std::uint32_t>(description.width),
                              static_cast<std::uint32_t>(description.height)))
        return std::nullopt;
    return CopyMonoBitmap(logo);
}

// The caption format and the four mode names, from the string table.
std::array<std::string, 1 + IDS_LOGO_MODE_COUNT> load_caption_texts(HINSTANCE instance) {
    std::array<std::string, 1 + IDS_LOGO_MODE_COUNT> texts;
    texts[0] = LoadResString(instance, IDS_LOGO_CAPTION);
    for (int mode = 0; mode < IDS_LOGO_MODE_COUNT; ++mode)
        texts[1 + mode] = LoadResString(instance, IDS_LOGO_MODE_FIRST + mode);
    return texts;
}

bool download_logo(HWND main_dialog, const link::PrinterLineOpener& open_line, HBITMAP logo) {
    const std::optional<MonoBitmapCopy> copy = downloadable_logo(logo);
    if (!copy) {
        MessageBoxA(main_dialog, "Not a valid image!", kMessageCaption,
                    MB_ICONEXCLAMATION | MB_SETFOREGROUND);
        return true;
    }
    WaitCursor wait;
    const auto texts = load_caption_texts(instance_of(main_dialog));
    const LogoCaptionTexts captions{texts[0], {texts[1], texts[2], texts[3], texts[4]}};
    const std::optional<std::vector<std::uint8_t>> sequence =
        build_logo_download(copy->view(), captions);
    if (!sequence)
        return true;
    return SendCommandSequence(main_dialog, open_line, sequence->data(), sequence->size());
}

} // namespace

bool RunLogoDownload(HWND main_dialog, const link::PrinterLineOpener& open_line) {
    UpdateWindow(main_dialog);
    HBITMAP logo = LoadPicture(main_dialog);
    if (!logo)
        return true;
    const INT_PTR result =
        DialogBoxParamA(instance_of(main_dialog), MAKEINTRESOURCEA(IDD_LOGO), main_dialog,
                        LogoDialogProc, reinterpret_cast<LPARAM>(&logo));
    // Whatever the dialog left in the variable is ours now: the logo after
    // "&Download", or the picture itself if the dialog could not be shown.
    const OwnedBitmap owned(logo);
    if (result != IDOK)
        return true;
    UpdateWindow(main_dialog);
    return download_logo(main_dialog, open_line, owned.get());
}

} // namespace tq350::logo
