// Pictures read on Windows: the program's own loader and conversion, exactly
// what the logo dialog does with "Preview B&W", "Stretch size" and centring.
#include "cli/picture_logo.h"

#include <windows.h>

#include "logo/logo_conversion.h"
#include "logo/logo_download_core.h"
#include "logo/picture_loader.h"
#include "win32/handles.h"

namespace tq350::cli {

std::optional<Logo> load_logo(const std::string& path, const LogoChoices& choices,
                              std::string& error) {
    OwnedBitmap picture(logo::LoadPictureFile(path.c_str()));
    logo::PictureDescription described;
    if (!picture || !logo::DescribeBitmap(picture.get(), described)) {
        error = "not a picture this program reads";
        return std::nullopt;
    }
    const logo::Size natural{static_cast<std::uint32_t>(described.width),
                             static_cast<std::uint32_t>(described.height)};
    if (error = too_large(natural, choices.stretch); !error.empty())
        return std::nullopt;
    const logo::Size target = logo_target(natural, choices.stretch);
    // Either call may hand back the bitmap it was given.
    OwnedBitmap converted;
    HBITMAP result = logo::ConvertPicture(picture.get(), target, true);
    if (result != picture.get())
        converted.reset(result);
    OwnedBitmap centred;
    HBITMAP canvas =
        result ? logo::CentreLogo(result,
                                  choices.centre_horizontal && target.width < logo::logo_area_width,
                                  choices.centre_vertical && target.height < logo::logo_area_height)
               : nullptr;
    if (canvas && canvas != result)
        centred.reset(canvas);
    const std::optional<logo::MonoBitmapCopy> copy =
        canvas ? logo::CopyMonoBitmap(canvas) : std::nullopt;
    if (!copy || !logo::is_downloadable_logo(copy->width, copy->height)) {
        error = "Not a valid image!";
        return std::nullopt;
    }
    return Logo{copy->width, copy->height, copy->bytes, copy->colours};
}

} // namespace tq350::cli
