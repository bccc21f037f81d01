// Output files held in memory, for checking the writers byte for byte and
// for making any open, write or close fail on purpose.
#pragma once

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/shape/ByteSink.h"

class CMemorySinkOpener : public CSinkOpener
{
public:
    // The files by path, as last written. Opening a path empties its entry.
    std::map<std::string, std::string> m_files;
    // Paths in the order they were opened.
    std::vector<std::string> m_opened;
    // Paths that cannot be opened.
    std::set<std::string> m_unopenable;
    // Paths that take only this many bytes; the write that crosses the
    // limit stores what fits and fails, like a full disk.
    std::map<std::string, size_t> m_byteLimit;
    // Paths whose close reports lost bytes.
    std::set<std::string> m_failingClose;

    std::unique_ptr<CByteSink> OpenForWriting(const std::string& path) override
    {
        m_opened.push_back(path);
        if (m_unopenable.count(path))
            return nullptr;
        std::string& bytes = m_files[path];
        bytes.clear();
        auto limit = m_byteLimit.find(path);
        return std::unique_ptr<CByteSink>(
            new CMemorySink(&bytes, limit == m_byteLimit.end() ? std::numeric_limits<size_t>::max() : limit->second,
                            m_failingClose.count(path) != 0));
    }

private:
    class CMemorySink : public CByteSink
    {
    public:
        CMemorySink(std::string* pBytes, size_t cbLimit, bool bFailClose)
            : m_pBytes(pBytes), m_cbLimit(cbLimit), m_bFailClose(bFailClose)
        {
        }

        bool Write(const void* pData, size_t cb) override
        {
            if (m_bFailed)
                return false;
            const size_t room = m_cbLimit - std::min(m_cbLimit, m_pBytes->size());
            const size_t taken = std::min(room, cb);
            m_pBytes->append(static_cast<const char*>(pData), taken);
            m_bFailed = taken < cb;
            return !m_bFailed;
        }
        bool Close() override { return !m_bFailed && !m_bFailClose; }

    private:
        std::string* m_pBytes;
        size_t m_cbLimit;
        bool m_bFailClose;
        bool m_bFailed = false;
    };
};
