// Owners of GDI handles: a window's device context, a memory device context,
// a created GDI object, and an object selected into a device context for a scope.
#pragma once

#include <windows.h>

class CWindowDC
{
public:
    explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(GetDC(hWnd)) {}
    ~CWindowDC() { if (m_hDC) ReleaseDC(m_hWnd, m_hDC); }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

class CMemoryDC
{
public:
    explicit CMemoryDC(HDC hCompatible) : m_hDC(CreateCompatibleDC(hCompatible)) {}
    ~CMemoryDC() { if (m_hDC) DeleteDC(m_hDC); }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};

template <typename T>
class CGdiObject
{
public:
    explicit CGdiObject(T hObject) : m_hObject(hObject) {}
    ~CGdiObject() { if (m_hObject) DeleteObject(m_hObject); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    T Get() const { return m_hObject; }
    // Hands the object over (to the clipboard, say) without deleting it.
    T Release()
    {
        T hObject = m_hObject;
        m_hObject = nullptr;
        return hObject;
    }

private:
    T m_hObject;
};

class CSelectObject
{
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hPrevious(SelectObject(hDC, hObject)) {}
    ~CSelectObject() { SelectObject(m_hDC, m_hPrevious); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};
