// Owners of Win32 objects: each holds one object and releases it the way the
// object asks to be released when the owner goes out of scope, so every
// handle has exactly one release path. Owners move but never copy.
#pragma once

#include "common/system/comctl32.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename Handle, typename Releaser> class Owner {
  public:
    Owner() = default;
    explicit Owner(Handle handle) : handle_(handle) {}
    ~Owner() { Reset(); }
    Owner(Owner&& other) noexcept : handle_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    // Hands the object over: the caller releases it from now on.
    Handle Release() { return std::exchange(handle_, Handle{}); }
    void Reset(Handle handle = Handle{}) {
        if (handle_ != Handle{}) Releaser{}(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_{};
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DeleteMemoryDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct DestroyImageList {
    void operator()(HIMAGELIST list) const { Comctl32Dll().ImageList_Destroy(list); }
};
struct DestroyPrivateHeap {
    void operator()(HANDLE heap) const { HeapDestroy(heap); }
};

// Fonts, bitmaps, brushes, pens, regions: DeleteObject.
template <typename Object> using GdiObject = Owner<Object, DeleteGdiObject>;
// A drawing context of CreateCompatibleDC: DeleteDC.
using MemoryDc = Owner<HDC, DeleteMemoryDc>;
// Events, threads, mutexes, mappings (null when there is none): CloseHandle.
using KernelHandle = Owner<HANDLE, CloseKernelHandle>;
using ImageList = Owner<HIMAGELIST, DestroyImageList>;
// A heap of HeapCreate: HeapDestroy, which also frees every block in it.
using PrivateHeap = Owner<HANDLE, DestroyPrivateHeap>;

// A window's drawing context for one scope: GetDC (the client area) or
// GetWindowDC (the whole window, frame included), then ReleaseDC.
class WindowDc {
  public:
    struct WholeWindow {};
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(HWND window, WholeWindow) : window_(window), dc_(GetWindowDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// An object selected into a drawing context for one scope: what was
// selected before comes back when the scope ends.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window timer that is killed when its owner goes.
class WindowTimer {
  public:
    WindowTimer() = default;
    WindowTimer(HWND window, UINT_PTR id, UINT period_ms)
        : window_(window), id_(SetTimer(window, id, period_ms, nullptr) ? id : 0) {}
    ~WindowTimer() { Kill(); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    void Kill() {
        if (id_) KillTimer(window_, id_);
        id_ = 0;
    }

  private:
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};
