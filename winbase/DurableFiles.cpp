#include "winbase/DurableFiles.h"

#include <cstring>
#include <vector>

#include "winbase/Handles.h"

namespace
{
// The writers hand over a record at a time: gathered here, one system
// call per quarter megabyte.
const size_t kBufferSize = 256 * 1024;

class CDurableSink : public CByteSink
{
public:
    explicit CDurableSink(HANDLE hFile) : m_file(hFile), m_buffer(kBufferSize) {}

    bool Write(const void* pData, size_t cb) override
    {
        if (m_bFailed || !m_file)
            return false;
        if (cb > m_buffer.size() - m_cbBuffered && !Flush())
            return false;
        if (cb >= m_buffer.size())
            return WriteAll(pData, cb);
        std::memcpy(m_buffer.data() + m_cbBuffered, pData, cb);
        m_cbBuffered += cb;
        return true;
    }

    bool Close() override
    {
        if (!m_file)
            return false;
        // On the disk before the temporary may replace anything.
        const bool ok = Flush() && FlushFileBuffers(m_file.Get());
        m_file.Reset();
        return ok;
    }

private:
    bool Flush()
    {
        const size_t cb = m_cbBuffered;
        m_cbBuffered = 0;
        return cb == 0 || WriteAll(m_buffer.data(), cb);
    }

    bool WriteAll(const void* pData, size_t cb)
    {
        if (!m_bFailed && !WriteAllToFile(m_file.Get(), pData, cb))
            m_bFailed = true;
        return !m_bFailed;
    }

    UniqueFileHandle m_file;
    std::vector<char> m_buffer;
    size_t m_cbBuffered = 0;
    bool m_bFailed = false;
};

class CDurableSinkOpener : public CSinkOpener
{
public:
    std::unique_ptr<CByteSink> OpenForWriting(const std::string& path) override
    {
        HANDLE hFile =
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::unique_ptr<CByteSink>(new CDurableSink(hFile));
    }
};

class CDurableFileReplacer : public CFileReplacer
{
public:
    bool Replace(const std::string& from, const std::string& to) override
    {
        // Files only: a folder that happens to bear a target's name is never
        // moved. A read-only file is one the user protected: it is neither
        // replaced nor set aside.
        const DWORD attributes = GetFileAttributesA(from.c_str());
        const DWORD target = GetFileAttributesA(to.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ||
            (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY)))
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    bool Remove(const std::string& path) override
    {
        if (DeleteFileA(path.c_str()))
            return true;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
};

CSinkOpener& DurableSinkOpener()
{
    static CDurableSinkOpener opener;
    return opener;
}
}   // namespace

bool WriteAllToFile(HANDLE hFile, const void* pData, size_t cb)
{
    const char* p = static_cast<const char*>(pData);
    while (cb > 0)
    {
        // WriteFile takes at most a DWORD of bytes a call.
        const DWORD chunk = cb > 0x40000000 ? 0x40000000 : static_cast<DWORD>(cb);
        DWORD written = 0;
        if (!WriteFile(hFile, p, chunk, &written, nullptr) || written == 0)
            return false;
        p += written;
        cb -= written;
    }
    return true;
}

CFileReplacer& DurableFileReplacer()
{
    static CDurableFileReplacer replacer;
    return replacer;
}

CStagedFiles DurableFiles() { return CStagedFiles{DurableSinkOpener(), DurableFileReplacer()}; }
