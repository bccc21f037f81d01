// A file read by a decoder, watched for reads that stop short inside the
// file: those are a failing disk or network share, not a damaged image,
// and the user is told so.
#pragma once

#include "core/io/FileSystem.h"

class CShortReadWatch : public CFile
{
public:
    explicit CShortReadWatch(CFile& file) : m_file(file), m_cbFile(file.Size()) {}

    size_t Read(void* pData, size_t cb) override
    {
        const uint64_t at = m_file.Tell();
        const size_t got = m_file.Read(pData, cb);
        // Reading past the end is the decoder's business (a cut file).
        if (got < cb && at + got < m_cbFile)
            m_bShortRead = true;
        return got;
    }
    size_t Write(const void*, size_t) override { return 0; }
    bool Seek(uint64_t offset) override { return m_file.Seek(offset); }
    uint64_t Tell() const override { return m_file.Tell(); }
    uint64_t Size() override { return m_cbFile; }
    bool FlushToDisk() override { return true; }
    bool Close() override { return true; }

    bool ShortRead() const { return m_bShortRead; }

private:
    CFile& m_file;
    uint64_t m_cbFile;
    bool m_bShortRead = false;
};
