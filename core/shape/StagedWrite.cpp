#include "core/shape/StagedWrite.h"

#include <cerrno>
#include <cstdio>

namespace
{
class CPortableFileReplacer : public CFileReplacer
{
public:
    bool Replace(const std::string& from, const std::string& to) override
    {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0 || errno == ENOENT; }
};
}

std::string StagedName(const std::string& path) { return path + ".partial"; }

std::unique_ptr<CByteSink> CStagedSinkOpener::OpenForWriting(const std::string& path)
{
    std::unique_ptr<CByteSink> sink = m_base.OpenForWriting(StagedName(path));
    if (sink)
        m_targets.push_back(path);
    return sink;
}

bool CStagedSinkOpener::Commit()
{
    bool ok = true;
    for (const std::string& target : m_targets)
    {
        if (ok && !m_replacer.Replace(StagedName(target), target))
            ok = false;
        if (!ok)
            m_replacer.Remove(StagedName(target));
    }
    m_targets.clear();
    return ok;
}

void CStagedSinkOpener::Discard()
{
    for (const std::string& target : m_targets)
        m_replacer.Remove(StagedName(target));
    m_targets.clear();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, CSinkOpener& base, CFileReplacer& replacer)
{
    CStagedSinkOpener staged(base, replacer);
    std::unique_ptr<CByteSink> sink = staged.OpenForWriting(path);
    if (!sink)
        return false;
    const bool written = sink->Write(bytes.data(), bytes.size());
    if (!sink->Close() || !written)
        return false;   // the temporary goes with the opener
    return staged.Commit();
}

CFileReplacer& PortableFileReplacer()
{
    static CPortableFileReplacer replacer;
    return replacer;
}
