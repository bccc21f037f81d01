#include "core/shape/ByteSink.h"

#include <cstring>

namespace
{

const size_t kFileBufferSize = 256 * 1024;

class CFileSinkOpener : public CSinkOpener
{
public:
    std::unique_ptr<CByteSink> OpenForWriting(const std::string& path) override { return CFileSink::Open(path); }
};

}   // namespace

std::unique_ptr<CFileSink> CFileSink::Open(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return nullptr;
    // The buffer is ours; the stream's own would only copy the bytes again.
    std::setvbuf(file, nullptr, _IONBF, 0);
    return std::unique_ptr<CFileSink>(new CFileSink(file));
}

CFileSink::CFileSink(FILE* pFile) : m_pFile(pFile), m_buffer(kFileBufferSize) {}

CFileSink::~CFileSink()
{
    if (m_pFile)
        std::fclose(m_pFile);
}

bool CFileSink::Flush()
{
    if (m_cbBuffered > 0 && !m_bFailed && std::fwrite(m_buffer.data(), 1, m_cbBuffered, m_pFile) != m_cbBuffered)
        m_bFailed = true;
    m_cbBuffered = 0;
    return !m_bFailed;
}

bool CFileSink::Write(const void* pData, size_t cb)
{
    if (m_bFailed || !m_pFile)
        return false;
    if (cb > m_buffer.size() - m_cbBuffered && !Flush())
        return false;
    if (cb >= m_buffer.size())
    {
        if (std::fwrite(pData, 1, cb, m_pFile) != cb)
            m_bFailed = true;
        return !m_bFailed;
    }
    std::memcpy(m_buffer.data() + m_cbBuffered, pData, cb);
    m_cbBuffered += cb;
    return true;
}

bool CFileSink::Close()
{
    if (!m_pFile)
        return false;
    bool ok = Flush();
    if (std::fclose(m_pFile) != 0)
        ok = false;
    m_pFile = nullptr;
    return ok;
}

CSinkOpener& FileSinkOpener()
{
    static CFileSinkOpener opener;
    return opener;
}

bool WriteBytes(CSinkOpener& opener, const std::string& path, const std::string& bytes)
{
    std::unique_ptr<CByteSink> sink = opener.OpenForWriting(path);
    if (!sink)
        return false;
    const bool written = sink->Write(bytes.data(), bytes.size());
    return sink->Close() && written;
}
