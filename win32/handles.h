// The owners of every handle kind the program makes: registry keys, GDI
// objects, device contexts and selections, files, global memory, COM
// references and the wait cursor. Every early return frees what it must, and a
// handle handed on leaves its owner explicitly (release()).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <utility>

namespace tq350 {

class RegKey {
  public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(other.release()) {}
    RegKey& operator=(RegKey&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~RegKey() { reset(); }

    HKEY get() const { return key_; }
    HKEY* out() {
        reset();
        return &key_;
    }
    HKEY release() {
        HKEY key = key_;
        key_ = nullptr;
        return key;
    }
    void reset(HKEY key = nullptr) {
        if (key_)
            RegCloseKey(key_);
        key_ = key;
    }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    HKEY key_ = nullptr;
};

// A hook of this thread's messages, unhooked at the end.
class WindowsHook {
  public:
    explicit WindowsHook(HHOOK hook) : hook_(hook) {}
    WindowsHook(const WindowsHook&) = delete;
    WindowsHook& operator=(const WindowsHook&) = delete;
    ~WindowsHook() {
        if (hook_)
            UnhookWindowsHookEx(hook_);
    }

  private:
    HHOOK hook_;
};

// Shows the wait cursor for its lifetime and puts the previous one back.
class WaitCursor {
  public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { SetCursor(previous_); }

  private:
    HCURSOR previous_;
};

// A bitmap this scope owns; DeleteObject at the end.
class OwnedBitmap {
  public:
    OwnedBitmap() = default;
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    OwnedBitmap(OwnedBitmap&& other) noexcept : bitmap_(other.release()) {}
    OwnedBitmap& operator=(OwnedBitmap&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~OwnedBitmap() { reset(); }

    HBITMAP get() const { return bitmap_; }
    // Hands the bitmap to the caller, who deletes it from now on.
    HBITMAP release() { return std::exchange(bitmap_, nullptr); }
    void reset(HBITMAP bitmap = nullptr) {
        if (bitmap_)
            DeleteObject(bitmap_);
        bitmap_ = bitmap;
    }
    explicit operator bool() const { return bitmap_ != nullptr; }

  private:
    HBITMAP bitmap_ = nullptr;
};

// The screen's device context, for its format and resolution.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_)
            ReleaseDC(nullptr, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HDC dc_;
};

// A memory device context compatible with `like` (the screen for nullptr).
class MemoryDc {
  public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_)
            DeleteDC(dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HDC dc_;
};

// An object selected into a device context, deselected at the end of the
// scope so that the context can be deleted and the object used elsewhere.
// Declare it after the context and the object it selects.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A file (CreateFileA's INVALID_HANDLE_VALUE means none).
class FileHandle {
  public:
    explicit FileHandle(HANDLE file) : file_(file) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { close(); }
    HANDLE get() const { return file_; }
    explicit operator bool() const { return file_ != INVALID_HANDLE_VALUE; }
    // Closes now, for a caller that must know whether the close went well.
    bool close() {
        const bool closed = file_ == INVALID_HANDLE_VALUE || CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE file_;
};

// A global memory block until something (a stream) takes it over.
class GlobalBlock {
  public:
    explicit GlobalBlock(HGLOBAL block) : block_(block) {}
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    GlobalBlock(GlobalBlock&& other) noexcept : block_(other.release()) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept {
        if (this != &other) {
            if (block_)
                GlobalFree(block_);
            block_ = other.release();
        }
        return *this;
    }
    ~GlobalBlock() {
        if (block_)
            GlobalFree(block_);
    }
    HGLOBAL get() const { return block_; }
    HGLOBAL release() { return std::exchange(block_, nullptr); }
    explicit operator bool() const { return block_ != nullptr; }

  private:
    HGLOBAL block_;
};

// A movable block locked for the life of the scope.
class GlobalLockGuard {
  public:
    explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard() {
        if (data_)
            GlobalUnlock(block_);
    }
    void* data() const { return data_; }

  private:
    HGLOBAL block_;
    void* data_;
};

// One reference to a COM object, released at the end of the scope.
template <typename Interface> class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (object_)
            object_->Release();
    }
    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    Interface** out() { return &object_; }
    void** out_void() { return reinterpret_cast<void**>(&object_); }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    Interface* object_ = nullptr;
};

} // namespace tq350
