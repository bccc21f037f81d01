#include "core/io/MemoryFile.h"

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
    if (cb > SIZE_MAX - m_offset)
        return 0;
    const size_t end = static_cast<size_t>(m_offset) + cb;
    if (end > m_pBytes->size())
        m_pBytes->resize(end);
    if (cb > 0)
        std::memcpy(&(*m_pBytes)[static_cast<size_t>(m_offset)], pData, cb);
    m_offset = end;
    return cb;
}

bool CMemoryFile::Seek(uint64_t offset)
{
    if (offset > SIZE_MAX)
        return false;
    m_offset = offset;
    return true;
}

namespace
{
// A file of the memory file system: its bytes, with the failures the
// tests ask for looked up by path.
class CFakeFile : public CFile
{
public:
    CFakeFile(CMemoryFileSystem& files, const std::string& path, uint64_t offset)
        : m_files(files), m_path(path), m_bytes(&files.m_files[path], offset)
    {
    }

    size_t Read(void* pData, size_t cb) override { return m_bytes.Read(pData, cb); }
    size_t Write(const void* pData, size_t cb) override
    {
        if (m_bFailed)
            return 0;
        size_t taken = cb;
        auto limit = m_files.m_byteLimit.find(m_path);
        if (limit != m_files.m_byteLimit.end())
            taken = static_cast<size_t>(std::min<uint64_t>(cb, limit->second - std::min(limit->second, Tell())));
        taken = m_bytes.Write(pData, taken);
        m_bFailed = taken < cb;
        return taken;
    }
    bool Seek(uint64_t offset) override { return m_bytes.Seek(offset); }
    uint64_t Tell() const override { return m_bytes.Tell(); }
    uint64_t Size() override { return m_bytes.Size(); }
    bool FlushToDisk() override { return !m_bFailed && !m_files.m_failingFlush.count(m_path); }
    bool Close() override { return FlushToDisk(); }

private:
    CMemoryFileSystem& m_files;
    std::string m_path;
    CMemoryFile m_bytes;
    bool m_bFailed = false;
};
}   // namespace

std::unique_ptr<CFile> CMemoryFileSystem::OpenForReading(const std::string& path)
{
    if (m_unopenable.count(path) || !m_files.count(path))
        return nullptr;
    return std::unique_ptr<CFile>(new CFakeFile(*this, path, 0));
}

std::unique_ptr<CFile> CMemoryFileSystem::OpenForWriting(const std::string& path, FileWriteMode nMode)
{
    m_opened.push_back(path);
    if (m_unopenable.count(path) || (nMode == FILE_APPEND && !m_files.count(path)))
        return nullptr;
    std::string& bytes = m_files[path];
    if (nMode != FILE_APPEND)
        bytes.clear();
    return std::unique_ptr<CFile>(new CFakeFile(*this, path, bytes.size()));
}

bool CMemoryFileSystem::Replace(const std::string& from, const std::string& to)
{
    auto found = m_files.find(from);
    if (found == m_files.end() || m_refused.count(to) || m_refused.count(from))
        return false;
    std::string bytes = std::move(found->second);
    m_files.erase(found);
    m_files[to] = std::move(bytes);
    return true;
}

bool CMemoryFileSystem::Remove(const std::string& path)
{
    m_files.erase(path);
    return true;
}
