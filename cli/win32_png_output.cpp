// The logo PNG on Windows, written by the Windows Imaging Component.
#include "cli/png_output.h"

#include <wincodec.h>
#include <windows.h>

#include <vector>

#include "win32/handles.h"

namespace tq350::cli {

namespace {

struct ComScope {
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(result))
            CoUninitialize();
    }
};

} // namespace

bool write_logo_png(const std::string& path, std::uint32_t width, std::uint32_t height,
                    std::span<const std::uint8_t> gs_raster) {
    const std::size_t row_bytes = (width + 7) / 8;
    if (gs_raster.size() < row_bytes * height)
        return false;
    // WIC's black-and-white format has the leftmost dot in the top bit and 1
    // for white, the other way round from GS *.
    std::vector<BYTE> rows(gs_raster.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        BYTE b = 0;
        for (int bit = 0; bit < 8; ++bit)
            b |= static_cast<BYTE>(((gs_raster[i] >> bit & 1) ^ 1) << (7 - bit));
        rows[i] = b;
    }
    const ComScope com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    std::wstring wide_path(path.size() + 1, L'\0');
    wide_path.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_ACP, 0, path.c_str(), -1, wide_path.data(), static_cast<int>(wide_path.size()))));
    WICPixelFormatGUID format = GUID_WICPixelFormatBlackWhite;
    return SUCCEEDED(com.result) &&
           SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(factory.out()))) &&
           SUCCEEDED(factory->CreateStream(stream.out())) &&
           SUCCEEDED(stream->InitializeFromFilename(wide_path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.out(), nullptr)) &&
           SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(width, height)) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormatBlackWhite &&
           SUCCEEDED(frame->WritePixels(height, static_cast<UINT>(row_bytes),
                                        static_cast<UINT>(rows.size()), rows.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

} // namespace tq350::cli
