// Owners of the Win32 handles tavoinst opens: each closes its handle once.
#pragma once

#include <windows.h>

#include <cstdio>
#include <utility>

namespace postinst {

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
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, Traits::Invalid());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }
    // Hands the handle over without closing it.
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
struct FileTraits
{
    static FILE* Invalid() { return nullptr; }
    static void Close(FILE* f) { std::fclose(f); }
};
struct GdiObjectTraits
{
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits
{
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

struct RegKeyTraits
{
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};

using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueFile = UniqueHandle<FILE*, FileTraits>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

}  // namespace postinst
