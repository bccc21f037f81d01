#include "core/raster/RandomAccessFile.h"

#include <algorithm>
#include <cstring>

size_t CMemoryFile::Read(void* pData, size_t cb)
{
    if (m_offset >= m_pBytes->size())
        return 0;
    const size_t got = static_cast<size_t>(std::min<uint64_t>(cb, m_pBytes->size() - m_offset));
    std::memcpy(pData, m_pBytes->data() + m_offset, got);
    m_offset += got;
    return got;
}

size_t CMemoryFile::Write(const void* pData, size_t cb)
{
    if (m_bFailed || m_offset > m_cbLimit || cb > m_cbLimit - m_offset)
    {
        m_bFailed = true;
        return 0;
    }
    const size_t end = static_cast<size_t>(m_offset) + cb;
    if (end > m_pBytes->size())
        m_pBytes->resize(end);
    std::memcpy(&(*m_pBytes)[static_cast<size_t>(m_offset)], pData, cb);
    m_offset = end;
    return cb;
}

bool CMemoryFile::Seek(uint64_t offset)
{
    // Seeking beyond the end is allowed; a write there fills the gap with zeros.
    if (offset > SIZE_MAX)
        return false;
    m_offset = offset;
    return true;
}

namespace
{

bool SeekStdio(FILE* pFile, uint64_t offset)
{
    if (offset > static_cast<uint64_t>(INT64_MAX))
        return false;
#ifdef _WIN32
    return _fseeki64(pFile, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(pFile, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// Large writes go to the disk in few calls: libtiff hands over a tile at a time.
const size_t kStdioBuffer = 1 << 20;

}   // namespace

std::unique_ptr<CStdioFile> CStdioFile::Create(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "w+b");
    if (!file)
        return nullptr;
    std::setvbuf(file, nullptr, _IOFBF, kStdioBuffer);
    return std::unique_ptr<CStdioFile>(new CStdioFile(file));
}

CStdioFile::CStdioFile(FILE* pFile) : m_pFile(pFile) {}

CStdioFile::~CStdioFile()
{
    if (m_pFile)
        std::fclose(m_pFile);
}

size_t CStdioFile::Read(void* pData, size_t cb)
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

size_t CStdioFile::Write(const void* pData, size_t cb)
{
    if (!m_pFile || m_bFailed)
        return 0;
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

bool CStdioFile::Seek(uint64_t offset)
{
    if (!m_pFile || !SeekStdio(m_pFile, offset))
        return false;
    m_offset = offset;
    m_bLastWasWrite = false;
    return true;
}

bool CStdioFile::Close()
{
    if (!m_pFile)
        return false;
    bool ok = !m_bFailed && std::fflush(m_pFile) == 0;
    if (std::fclose(m_pFile) != 0)
        ok = false;
    m_pFile = nullptr;
    return ok;
}

namespace
{

bool Exists(const std::string& path)
{
    if (FILE* file = std::fopen(path.c_str(), "rb"))
    {
        std::fclose(file);
        return true;
    }
    return false;
}

class CStdioFileStore : public CExportFileStore
{
public:
    std::unique_ptr<CRandomAccessFile> CreateBeside(const std::string& target, std::string* pTempPath) override
    {
        pTempPath->clear();
        for (int n = 1; n < 1000; ++n)
        {
            const std::string temp = target + "." + std::to_string(n) + ".part";
            if (Exists(temp))
                continue;
            std::unique_ptr<CStdioFile> file = CStdioFile::Create(temp);
            if (file)
                *pTempPath = temp;
            return file;
        }
        return nullptr;
    }

    bool Replace(const std::string& temp, const std::string& target) override
    {
        if (std::rename(temp.c_str(), target.c_str()) == 0)
            return true;
        // The Windows C library does not rename over an existing file.
        return Exists(target) && std::remove(target.c_str()) == 0 && std::rename(temp.c_str(), target.c_str()) == 0;
    }

    void Remove(const std::string& path) override { std::remove(path.c_str()); }
};

}   // namespace

CExportFileStore& StdioFileStore()
{
    static CStdioFileStore store;
    return store;
}
