// Where a writer that must seek puts its bytes (a TIFF writes its
// directories after the data and links them back): a file in the program,
// memory in the tests, where any write or close can be made to fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CRandomAccessFile
{
public:
    virtual ~CRandomAccessFile() = default;
    // Both return how many bytes were moved; fewer than cb on a failure (or,
    // for Read, at the end).
    virtual size_t Read(void* pData, size_t cb) = 0;
    virtual size_t Write(const void* pData, size_t cb) = 0;
    virtual bool Seek(uint64_t offset) = 0;
    virtual uint64_t Tell() const = 0;
    virtual uint64_t Size() = 0;
    // Ends the file; false when anything written was lost (a buffered file
    // reports a full disk only here) or any earlier write failed.
    virtual bool Close() = 0;
};

// The bytes of a file in memory. A limit makes the write that crosses it
// store nothing and fail, as a full disk does; a failing close reports lost
// bytes after every write succeeded.
class CMemoryFile : public CRandomAccessFile
{
public:
    explicit CMemoryFile(std::string* pBytes, uint64_t cbLimit = UINT64_MAX, bool bFailClose = false)
        : m_pBytes(pBytes), m_cbLimit(cbLimit), m_bFailClose(bFailClose)
    {
    }

    size_t Read(void* pData, size_t cb) override;
    size_t Write(const void* pData, size_t cb) override;
    bool Seek(uint64_t offset) override;
    uint64_t Tell() const override { return m_offset; }
    uint64_t Size() override { return m_pBytes->size(); }
    bool Close() override { return !m_bFailed && !m_bFailClose; }

private:
    std::string* m_pBytes;
    uint64_t m_cbLimit;
    bool m_bFailClose;
    bool m_bFailed = false;
    uint64_t m_offset = 0;
};

// A file of the C library, opened for update ("w+b"), with 64-bit offsets.
class CStdioFile : public CRandomAccessFile
{
public:
    // Creates or empties the file; null when it cannot be opened.
    static std::unique_ptr<CStdioFile> Create(const std::string& path);
    ~CStdioFile() override;
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    size_t Read(void* pData, size_t cb) override;
    size_t Write(const void* pData, size_t cb) override;
    bool Seek(uint64_t offset) override;
    uint64_t Tell() const override { return m_offset; }
    uint64_t Size() override { return m_cbSize; }
    bool Close() override;

private:
    explicit CStdioFile(FILE* pFile);

    FILE* m_pFile;
    uint64_t m_offset = 0;
    uint64_t m_cbSize = 0;
    bool m_bFailed = false;
    // After a write the C library needs a seek before it may read again.
    bool m_bLastWasWrite = false;
};

// How an export reaches the file system: a new file beside the target, then
// that file moved over the target only once it is complete, so the target
// is never seen half written and a failure leaves what was there.
class CExportFileStore
{
public:
    virtual ~CExportFileStore() = default;
    // A new, empty file in the target's folder under a name no file has
    // yet; null (and *pTempPath empty) when none can be made.
    virtual std::unique_ptr<CRandomAccessFile> CreateBeside(const std::string& target, std::string* pTempPath) = 0;
    // Moves the finished file over the target, replacing it; false leaves
    // both as they were.
    virtual bool Replace(const std::string& temp, const std::string& target) = 0;
    virtual void Remove(const std::string& path) = 0;
};

// The C library's files (the native tests and benchmarks; the program has
// its own, which replaces the target in one step).
CExportFileStore& StdioFileStore();
