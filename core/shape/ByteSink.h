// Where the writers put their bytes: files in the program, memory in the
// tests. A writer never touches the C library's streams directly, so every
// byte and every failure path can be checked without a disk.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CByteSink
{
public:
    virtual ~CByteSink() = default;
    // Appends cb bytes; false when not all of them were taken. After a
    // failure the sink refuses everything that follows.
    virtual bool Write(const void* pData, size_t cb) = 0;
    // Ends the output; false when anything written earlier was lost (a
    // buffered file reports a full disk only here).
    virtual bool Close() = 0;
};

// Opens the sinks of a save, one per output file.
class CSinkOpener
{
public:
    virtual ~CSinkOpener() = default;
    // A sink that creates the file or truncates an existing one; null when
    // the file cannot be opened for writing.
    virtual std::unique_ptr<CByteSink> OpenForWriting(const std::string& path) = 0;
};

// Writes the bytes as a whole file through the opener; false when it cannot
// be opened or any byte was lost.
bool WriteBytes(CSinkOpener& opener, const std::string& path, const std::string& bytes);

// A binary file opened with "wb". Writes are gathered in a large buffer:
// the writers hand over a record at a time, and one C library call per
// field would cost more than the formatting.
class CFileSink : public CByteSink
{
public:
    static std::unique_ptr<CFileSink> Open(const std::string& path);
    ~CFileSink() override;
    CFileSink(const CFileSink&) = delete;
    CFileSink& operator=(const CFileSink&) = delete;

    bool Write(const void* pData, size_t cb) override;
    bool Close() override;

private:
    explicit CFileSink(FILE* pFile);
    bool Flush();

    FILE* m_pFile;
    std::vector<unsigned char> m_buffer;
    size_t m_cbBuffered = 0;
    bool m_bFailed = false;
};

// The opener of the program: real files.
CSinkOpener& FileSinkOpener();
