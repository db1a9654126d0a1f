// One move-only owner for every kind of handle, and a scope guard for one-off clean-up.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <utility>

namespace tsln {

// Traits give the handle type, its invalid value and how to close it.
template <typename Traits>
class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() noexcept = default;
    explicit unique_any(pointer value) noexcept : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }
    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For out-parameters: frees what is held, then hands out the slot.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

namespace traits {
template <typename T, typename R, R(WINAPI* Close)(T)>
struct null_invalid {
    using type = T;
    static T invalid() noexcept { return T{}; }
    static void close(T value) noexcept { Close(value); }
};
struct file_handle {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE value) noexcept { ::CloseHandle(value); }
};
struct find_handle {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE value) noexcept { ::FindClose(value); }
};
struct hkey {
    using type = HKEY;
    static HKEY invalid() noexcept { return nullptr; }
    // Predefined roots are never closed.
    static void close(HKEY value) noexcept {
        if (reinterpret_cast<ULONG_PTR>(value) < 0x80000000u) ::RegCloseKey(value);
    }
};
template <typename T>
struct co_task_mem {
    using type = T*;
    static T* invalid() noexcept { return nullptr; }
    static void close(T* value) noexcept { ::CoTaskMemFree(value); }
};
// A COM interface pointer: the owner holds one reference and releases it.
template <typename I>
struct com_ptr {
    using type = I*;
    static I* invalid() noexcept { return nullptr; }
    static void close(I* value) noexcept { value->Release(); }
};
struct gdi_object {
    using type = HGDIOBJ;
    static HGDIOBJ invalid() noexcept { return nullptr; }
    static void close(HGDIOBJ value) noexcept { ::DeleteObject(value); }
};
} // namespace traits

using unique_handle = unique_any<traits::null_invalid<HANDLE, BOOL, &::CloseHandle>>;
using unique_file = unique_any<traits::file_handle>;
using unique_find = unique_any<traits::find_handle>;
using unique_hkey = unique_any<traits::hkey>;
using unique_hmodule = unique_any<traits::null_invalid<HMODULE, BOOL, &::FreeLibrary>>;
using unique_hwnd = unique_any<traits::null_invalid<HWND, BOOL, &::DestroyWindow>>;
using unique_hicon = unique_any<traits::null_invalid<HICON, BOOL, &::DestroyIcon>>;
using unique_hdc = unique_any<traits::null_invalid<HDC, BOOL, &::DeleteDC>>;
using unique_gdi = unique_any<traits::gdi_object>;
template <typename T = void>
using unique_cotaskmem = unique_any<traits::co_task_mem<T>>;

// A COM interface pointer owned like a handle (one reference, released at the end, move-only), and as easy
// to call: `->` reaches the interface, Query asks the object for another one, and a second reference is
// only ever taken explicitly, by Share or Copy.
template <typename I>
class unique_com : public unique_any<traits::com_ptr<I>> {
public:
    using unique_any<traits::com_ptr<I>>::unique_any;

    // A new owner of `object` with a reference of its own (the caller keeps its reference); empty for null.
    static unique_com Share(I* object) noexcept {
        if (object) object->AddRef();
        return unique_com(object);
    }
    unique_com Copy() const noexcept { return Share(this->get()); }

    I* operator->() const noexcept { return this->get(); }

    // The object's interface `iid` as a J; empty when it has none (or when this is empty), with the
    // answer in `result` when asked for.
    template <typename J>
    unique_com<J> Query(REFIID iid, HRESULT* result = nullptr) const noexcept {
        unique_com<J> other;
        const HRESULT hr =
            this->get() ? this->get()->QueryInterface(iid, reinterpret_cast<void**>(other.put())) : E_POINTER;
        if (result) *result = hr;
        if (FAILED(hr)) other.reset();
        return other;
    }
};

// Runs a callable when the scope ends, unless dismissed.
// An object selected into a device context: the object it replaced is selected again when the owner ends, so
// that neither the DC nor the object is destroyed while selected. Empty (nothing to put back) when the
// selection failed. Declare it after the owners of the DC and the object. Move-only.
class unique_select {
public:
    unique_select() noexcept = default;
    unique_select(HDC dc, HGDIOBJ object) noexcept {
        if (dc == nullptr || object == nullptr) return;
        HGDIOBJ previous = ::SelectObject(dc, object);
        if (previous == nullptr || previous == HGDI_ERROR) return;
        dc_ = dc;
        previous_ = previous;
    }
    unique_select(const unique_select&) = delete;
    unique_select& operator=(const unique_select&) = delete;
    unique_select(unique_select&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
    unique_select& operator=(unique_select&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }
    ~unique_select() { reset(); }

    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void reset() noexcept {
        if (dc_ != nullptr) ::SelectObject(dc_, previous_);
        dc_ = nullptr;
        previous_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The device context of a window, or of the screen for nullptr, as GetDC hands it out: released, not
// deleted, at the end.
class unique_window_dc {
public:
    explicit unique_window_dc(HWND window = nullptr) noexcept : window_(window), dc_(::GetDC(window)) {}
    unique_window_dc(const unique_window_dc&) = delete;
    unique_window_dc& operator=(const unique_window_dc&) = delete;
    ~unique_window_dc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

template <typename F>
class scope_exit {
public:
    explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() {
        if (active_) {
            try {
                f_();
            } catch (...) {
                // Clean-up never throws past a destructor.
            }
        }
    }
    void dismiss() noexcept { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

template <typename F>
scope_exit<F> make_scope_exit(F f) {
    return scope_exit<F>(std::move(f));
}

} // namespace tsln
