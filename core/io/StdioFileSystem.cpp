#include "core/io/StdioFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace
{

bool SeekStdio(FILE* pFile, uint64_t offset, int whence = SEEK_SET)
{
    if (offset > static_cast<uint64_t>(INT64_MAX))
        return false;
#ifdef _WIN32
    return _fseeki64(pFile, static_cast<__int64>(offset), whence) == 0;
#else
    return fseeko(pFile, static_cast<off_t>(offset), whence) == 0;
#endif
}

uint64_t TellStdio(FILE* pFile)
{
#ifdef _WIN32
    const long long at = _ftelli64(pFile);
#else
    const long long at = static_cast<long long>(ftello(pFile));
#endif
    return at < 0 ? 0 : static_cast<uint64_t>(at);
}

// Large writes go to the disk in few calls: libtiff hands over a tile at a time.
const size_t kStdioBuffer = 1 << 20;

// A file opened for update, with 64-bit offsets.
class CStdioFile : public CFile
{
public:
    explicit CStdioFile(FILE* pFile) : m_pFile(pFile)
    {
        std::setvbuf(pFile, nullptr, _IOFBF, kStdioBuffer);
        if (SeekStdio(pFile, 0, SEEK_END))
            m_cbSize = m_offset = TellStdio(pFile);
    }
    ~CStdioFile() override
    {
        if (m_pFile)
            std::fclose(m_pFile);
    }
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    size_t Read(void* pData, size_t cb) override
    {
        if (!m_pFile || m_bFailed)
            return 0;
        if (m_bLastWasWrite && !SeekStdio(m_pFile, m_offset))
            return 0;
        m_bLastWasWrite = false;
        const size_t got = std::fread(pData, 1, cb, m_pFile);
        m_offset += got;
        return got;
    }

    size_t Write(const void* pData, size_t cb) override
    {
        if (!m_pFile || m_bFailed)
            return 0;
        // After a read (or a seek) the C library needs a seek before it may write.
        if (!m_bLastWasWrite && !SeekStdio(m_pFile, m_offset))
        {
            m_bFailed = true;
            return 0;
        }
        m_bLastWasWrite = true;
        const size_t put = std::fwrite(pData, 1, cb, m_pFile);
        m_offset += put;
        m_cbSize = std::max(m_cbSize, m_offset);
        if (put != cb)
            m_bFailed = true;
        return put;
    }

    bool Seek(uint64_t offset) override
    {
        if (!m_pFile || !SeekStdio(m_pFile, offset))
            return false;
        m_offset = offset;
        m_bLastWasWrite = false;
        return true;
    }

    uint64_t Tell() const override { return m_offset; }
    uint64_t Size() override { return m_cbSize; }

    bool FlushToDisk() override
    {
        if (!m_pFile || m_bFailed || std::fflush(m_pFile) != 0)
            return false;
#ifndef _WIN32
        return fdatasync(fileno(m_pFile)) == 0;
#else
        return true;
#endif
    }

    bool Close() override
    {
        if (!m_pFile)
            return false;
        bool ok = !m_bFailed && std::fflush(m_pFile) == 0;
        if (std::fclose(m_pFile) != 0)
            ok = false;
        m_pFile = nullptr;
        return ok;
    }

private:
    FILE* m_pFile;
    uint64_t m_offset = 0;
    uint64_t m_cbSize = 0;
    bool m_bFailed = false;
    bool m_bLastWasWrite = false;
};

class CStdioFileSystem : public CFileSystem
{
public:
    std::unique_ptr<CFile> OpenForReading(const std::string& path) override
    {
        // A folder opens for reading on Linux, and would read as an empty file.
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            return nullptr;
        return Open(path, "rb", 0);
    }

    std::unique_ptr<CFile> OpenForWriting(const std::string& path, FileWriteMode nMode) override
    {
        return nMode == FILE_APPEND ? Open(path, "r+b", UINT64_MAX) : Open(path, "w+b", 0);
    }

    bool Replace(const std::string& from, const std::string& to) override
    {
        // Files only: a folder that happens to bear a target's name is never moved.
        std::error_code error;
        if (!std::filesystem::is_regular_file(from, error))
            return false;
#ifdef _WIN32
        // Windows's C library renames onto no existing file: the old one
        // goes first (not atomic; the program replaces through the system).
        if (std::rename(from.c_str(), to.c_str()) == 0)
            return true;
        std::remove(to.c_str());
#endif
        return std::rename(from.c_str(), to.c_str()) == 0;
    }

    bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0 || errno == ENOENT; }

    bool Exists(const std::string& path) override
    {
        std::error_code error;
        return std::filesystem::exists(path, error);
    }

private:
    // Opened at the start, or at the end when offset is UINT64_MAX.
    static std::unique_ptr<CFile> Open(const std::string& path, const char* pszMode, uint64_t offset)
    {
        FILE* file = std::fopen(path.c_str(), pszMode);
        if (!file)
            return nullptr;
        std::unique_ptr<CFile> opened(new CStdioFile(file));
        if (offset != UINT64_MAX && !opened->Seek(offset))
            return nullptr;
        return opened;
    }
};

}   // namespace

CFileSystem& StdioFileSystem()
{
    static CStdioFileSystem files;
    return files;
}
