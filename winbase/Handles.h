// Owners of Win32 handles, shared by the program and both installer DLLs:
// each closes its handle once, on every path out.
#pragma once

#include <windows.h>

#include <cstdio>
#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle
{
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_handle(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_handle = std::exchange(other.m_handle, Traits::Invalid());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }
    // Hands the handle over (to the clipboard, say) without closing it.
    Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid())
    {
        if (m_handle != Traits::Invalid())
            Traits::Close(m_handle);
        m_handle = h;
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits
{
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
// CreateFile reports failure with INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits
{
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits
{
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct ModuleTraits
{
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct RegKeyTraits
{
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct StdioFileTraits
{
    static FILE* Invalid() { return nullptr; }
    static void Close(FILE* f) { std::fclose(f); }
};
template <typename T>
struct GdiObjectTraits
{
    static T Invalid() { return nullptr; }
    static void Close(T h) { DeleteObject(h); }
};
struct GlobalTraits
{
    static HGLOBAL Invalid() { return nullptr; }
    static void Close(HGLOBAL h) { GlobalFree(h); }
};
struct MemoryDcTraits
{
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueStdioFile = UniqueHandle<FILE*, StdioFileTraits>;
// A created pen, brush, bitmap...: UniqueGdiObject<HPEN>.
template <typename T>
using UniqueGdiObject = UniqueHandle<T, GdiObjectTraits<T>>;
// A block of GlobalAlloc (clipboard data, say).
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalTraits>;
// A memory device context of CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

// A window's device context of GetDC, released to its window.
class UniqueWindowDc
{
public:
    explicit UniqueWindowDc(HWND hWnd) : m_hWnd(hWnd), m_hDC(GetDC(hWnd)) {}
    ~UniqueWindowDc()
    {
        if (m_hDC)
            ReleaseDC(m_hWnd, m_hDC);
    }
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// A movable global block locked for a scope: Get() is its address, nullptr
// when the lock failed.
class ScopedGlobalLock
{
public:
    explicit ScopedGlobalLock(HGLOBAL hBlock) : m_hBlock(hBlock), m_pData(GlobalLock(hBlock)) {}
    ~ScopedGlobalLock()
    {
        if (m_pData)
            GlobalUnlock(m_hBlock);
    }
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;
    void* Get() const { return m_pData; }

private:
    HGLOBAL m_hBlock;
    void* m_pData;
};

// An object selected into a device context for a scope; the one it replaced
// goes back when the scope ends, before the object itself is deleted.
class ScopedSelectObject
{
public:
    ScopedSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hPrevious(SelectObject(hDC, hObject)) {}
    ~ScopedSelectObject()
    {
        if (m_hPrevious)
            SelectObject(m_hDC, m_hPrevious);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};
