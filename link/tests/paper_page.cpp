#include "link/tests/paper_page.h"

#include <wincodec.h>

#include <cstdio>

namespace tq350::e2e {

namespace {

template <typename T> struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p)
            p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

std::string failed(const char* what, HRESULT hr) {
    char text[80];
    std::snprintf(text, sizeof text, "%s failed: 0x%08lX", what, static_cast<unsigned long>(hr));
    return text;
}

} // namespace

std::string paper_file(const std::vector<JournalEntry>& entries, int conn) {
    const std::string key = "\"file\":\"";
    for (const JournalEntry& e : entries) {
        if (e.name != "paper" || e.conn != conn)
            continue;
        const size_t at = e.line.find(key);
        if (at == std::string::npos)
            return "";
        const size_t begin = at + key.size();
        // The printer runs on the Linux side; its paths are Wine's drive Z:.
        return "Z:" + e.line.substr(begin, e.line.find('"', begin) - begin);
    }
    return "";
}

bool read_paper_page(const std::string& path, PaperPage& page, std::string& error) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Uninit {
        bool active;
        ~Uninit() {
            if (active)
                CoUninitialize();
        }
    } uninit{SUCCEEDED(init)};

    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()));
    if (FAILED(hr))
        return error = failed("CoCreateInstance(WICImagingFactory)", hr), false;
    std::wstring wide(path.begin(), path.end());
    ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                            WICDecodeMetadataCacheOnDemand, decoder.out());
    if (FAILED(hr))
        return error = failed(("opening " + path).c_str(), hr), false;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.out())))
        return error = failed("GetFrame", hr), false;
    ComPtr<IWICBitmapSource> gray;
    if (FAILED(hr = WICConvertBitmapSource(GUID_WICPixelFormat8bppGray, frame.p, gray.out())))
        return error = failed("WICConvertBitmapSource", hr), false;
    UINT width = 0, height = 0;
    if (FAILED(hr = gray->GetSize(&width, &height)))
        return error = failed("GetSize", hr), false;
    page.width = static_cast<int>(width);
    page.height = static_cast<int>(height);
    page.gray.assign(static_cast<size_t>(width) * height, 255);
    if (FAILED(hr = gray->CopyPixels(nullptr, width, static_cast<UINT>(page.gray.size()),
                                     page.gray.data())))
        return error = failed("CopyPixels", hr), false;
    return true;
}

} // namespace tq350::e2e
