// Files held in memory: a file over a string (libtiff encodes tiles into
// one), and a whole file system of them for the tests, which can make any
// open, any byte written, any flush or any replacement fail on purpose.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/io/FileSystem.h"

class CMemoryFile : public CFile
{
public:
    explicit CMemoryFile(std::string* pBytes, uint64_t offset = 0) : m_pBytes(pBytes), m_offset(offset) {}

    size_t Read(void* pData, size_t cb) override;
    // Seeking beyond the end is allowed; a write there fills the gap with zeros.
    size_t Write(const void* pData, size_t cb) override;
    bool Seek(uint64_t offset) override;
    uint64_t Tell() const override { return m_offset; }
    uint64_t Size() override { return m_pBytes->size(); }
    bool FlushToDisk() override { return true; }
    bool Close() override { return true; }

private:
    std::string* m_pBytes;
    uint64_t m_offset;
};

class CMemoryFileSystem : public CFileSystem
{
public:
    // The files by path, as last written.
    std::map<std::string, std::string> m_files;
    // Paths opened for writing, in order.
    std::vector<std::string> m_opened;
    // Paths that cannot be opened at all.
    std::set<std::string> m_unopenable;
    // Paths that hold only this many bytes: the write that crosses the
    // limit stores what fits and fails, like a full disk. Read at every
    // write, so a file already open can be made to fail from then on.
    std::map<std::string, uint64_t> m_byteLimit;
    // Paths whose flush to the disk and close report lost bytes.
    std::set<std::string> m_failingFlush;
    // Files in use: they can be neither replaced nor moved.
    std::set<std::string> m_refused;

    std::unique_ptr<CFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<CFile> OpenForWriting(const std::string& path, FileWriteMode nMode = FILE_CREATE_ALWAYS) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool Exists(const std::string& path) override { return m_files.count(path) != 0; }
};
