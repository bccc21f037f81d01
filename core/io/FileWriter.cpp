#include "core/io/FileWriter.h"

#include <cstring>

namespace
{
const size_t kBufferSize = 256 * 1024;
}

CFileWriter::CFileWriter(std::unique_ptr<CFile> file) : m_file(std::move(file))
{
    if (m_file)
        m_buffer.resize(kBufferSize);
}

bool CFileWriter::Drain()
{
    if (m_cbBuffered > 0 && !m_bFailed && m_file->Write(m_buffer.data(), m_cbBuffered) != m_cbBuffered)
        m_bFailed = true;
    m_cbBuffered = 0;
    return !m_bFailed;
}

bool CFileWriter::Write(const void* pData, size_t cb)
{
    if (m_bFailed || !m_file)
        return false;
    if (cb > m_buffer.size() - m_cbBuffered && !Drain())
        return false;
    if (cb >= m_buffer.size())
    {
        if (m_file->Write(pData, cb) != cb)
            m_bFailed = true;
        return !m_bFailed;
    }
    std::memcpy(m_buffer.data() + m_cbBuffered, pData, cb);
    m_cbBuffered += cb;
    return true;
}

bool CFileWriter::Close()
{
    if (!m_file)
        return false;
    bool ok = Drain() && m_file->FlushToDisk();
    if (!m_file->Close())
        ok = false;
    m_file.reset();
    return ok;
}

bool WriteFileBytes(CFileSystem& files, const std::string& path, std::string_view bytes)
{
    CFileWriter writer(files.OpenForWriting(path));
    const bool written = writer.Write(bytes.data(), bytes.size());
    return writer.Close() && written;
}
