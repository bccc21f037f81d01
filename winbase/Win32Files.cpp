#include "winbase/Win32Files.h"

#include <windows.h>

#include "winbase/Handles.h"
#include "winbase/Wide.h"

namespace
{
// Unbuffered: the sequential writers gather their bytes in core/io's
// CFileWriter, and libtiff hands over a tile at a time.
class CWin32File : public CFile
{
public:
    explicit CWin32File(HANDLE hFile) : m_file(hFile) {}

    size_t Read(void* pData, size_t cb) override
    {
        char* p = static_cast<char*>(pData);
        size_t got = 0;
        while (m_file && got < cb)
        {
            // ReadFile takes at most a DWORD of bytes a call.
            const DWORD chunk = cb - got > 0x40000000 ? 0x40000000 : static_cast<DWORD>(cb - got);
            DWORD n = 0;
            if (!ReadFile(m_file.Get(), p + got, chunk, &n, nullptr) || n == 0)
                break;
            got += n;
        }
        m_offset += got;
        return got;
    }

    size_t Write(const void* pData, size_t cb) override
    {
        const char* p = static_cast<const char*>(pData);
        size_t put = 0;
        while (m_file && !m_bFailed && put < cb)
        {
            const DWORD chunk = cb - put > 0x40000000 ? 0x40000000 : static_cast<DWORD>(cb - put);
            DWORD n = 0;
            if (!WriteFile(m_file.Get(), p + put, chunk, &n, nullptr) || n == 0)
                m_bFailed = true;
            put += n;
        }
        m_offset += put;
        return put;
    }

    bool Seek(uint64_t offset) override
    {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!m_file || offset > static_cast<uint64_t>(INT64_MAX) ||
            !SetFilePointerEx(m_file.Get(), to, nullptr, FILE_BEGIN))
            return false;
        m_offset = offset;
        return true;
    }

    uint64_t Tell() const override { return m_offset; }

    uint64_t Size() override
    {
        LARGE_INTEGER size = {};
        return m_file && GetFileSizeEx(m_file.Get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }

    bool FlushToDisk() override { return m_file && !m_bFailed && FlushFileBuffers(m_file.Get()); }

    bool Close() override
    {
        if (!m_file)
            return false;
        const bool closed = CloseHandle(m_file.Release()) != FALSE;
        return closed && !m_bFailed;
    }

private:
    UniqueFileHandle m_file;
    uint64_t m_offset = 0;
    bool m_bFailed = false;
};

class CWin32Files : public CFileSystem
{
public:
    std::unique_ptr<CFile> OpenForReading(const std::string& path) override
    {
        // Sharing reading only: while a program has the file open for
        // writing (a journal it appends to), this open fails.
        return Open(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr),
                    false);
    }

    std::unique_ptr<CFile> OpenForWriting(const std::string& path, FileWriteMode nMode) override
    {
        if (nMode == FILE_APPEND)
            return Open(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr),
                        true);
        // Read too: libtiff reads back what it wrote.
        return Open(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr),
                    false);
    }

    bool Replace(const std::string& from, const std::string& to) override
    {
        // Files only: a folder that happens to bear a target's name is never
        // moved. A read-only file is one the user protected: it is neither
        // replaced nor set aside.
        const DWORD attributes = GetFileAttributesW(Widen(from).c_str());
        const DWORD target = GetFileAttributesW(Widen(to).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ||
            (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY)))
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    bool Remove(const std::string& path) override
    {
        if (DeleteFileW(Widen(path).c_str()))
            return true;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }

    bool Exists(const std::string& path) override
    {
        return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    static std::unique_ptr<CFile> Open(HANDLE hFile, bool bAtEnd)
    {
        if (hFile == INVALID_HANDLE_VALUE)
            return nullptr;
        std::unique_ptr<CWin32File> file(new CWin32File(hFile));
        if (bAtEnd && !file->Seek(file->Size()))
            return nullptr;
        return std::unique_ptr<CFile>(file.release());
    }
};
}   // namespace

CFileSystem& Win32Files()
{
    static CWin32Files files;
    return files;
}
