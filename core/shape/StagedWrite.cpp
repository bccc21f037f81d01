#include "core/shape/StagedWrite.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace
{
class CPortableFileReplacer : public CFileReplacer
{
public:
    bool Replace(const std::string& from, const std::string& to) override
    {
        // Files only: a folder that happens to bear a target's name is never moved.
        std::error_code error;
        if (!std::filesystem::is_regular_file(from, error))
            return false;
#ifdef _WIN32
        // Windows's C library renames onto no existing file: the old one
        // goes first (not atomic; the program replaces through the system).
        if (std::rename(from.c_str(), to.c_str()) == 0)
            return true;
        std::remove(to.c_str());
#endif
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0 || errno == ENOENT; }
};
}

std::string StagedName(const std::string& path) { return path + ".partial"; }

std::string SetAsideName(const std::string& path) { return path + ".previous"; }

std::unique_ptr<CByteSink> CStagedSinkOpener::OpenForWriting(const std::string& path)
{
    std::unique_ptr<CByteSink> sink = m_base.OpenForWriting(StagedName(path));
    if (sink)
        m_targets.push_back(path);
    return sink;
}

bool CStagedSinkOpener::Commit()
{
    std::vector<std::string> targets;
    targets.swap(m_targets);
    bool ok = true;
    if (targets.size() == 1)
    {
        // One file: the replacement itself is all or nothing.
        ok = m_replacer.Replace(StagedName(targets[0]), targets[0]);
    }
    else
    {
        // Each old file steps aside before its new one takes the name; a
        // failure puts back what was moved. Setting aside fails when there
        // is no old file, and a file in use can be neither moved nor replaced.
        std::vector<bool> setAside(targets.size(), false);
        size_t placed = 0;
        for (; placed < targets.size(); ++placed)
        {
            const std::string& target = targets[placed];
            setAside[placed] = m_replacer.Replace(target, SetAsideName(target));
            if (!m_replacer.Replace(StagedName(target), target))
            {
                if (setAside[placed])
                    m_replacer.Replace(SetAsideName(target), target);
                ok = false;
                break;
            }
        }
        for (size_t i = 0; i < placed; ++i)
        {
            const std::string& target = targets[i];
            if (ok)
            {
                if (setAside[i])
                    m_replacer.Remove(SetAsideName(target));
            }
            else if (setAside[i])
                m_replacer.Replace(SetAsideName(target), target);
            else
                m_replacer.Remove(target);   // there was no file by that name
        }
    }
    if (!ok)
        for (const std::string& target : targets)
            m_replacer.Remove(StagedName(target));
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
    // On failure the temporary goes with the opener.
    return WriteBytes(staged, path, bytes) && staged.Commit();
}

CFileReplacer& PortableFileReplacer()
{
    static CPortableFileReplacer replacer;
    return replacer;
}

CStagedFiles PortableFiles() { return CStagedFiles{FileSinkOpener(), PortableFileReplacer()}; }
