#include "core/io/StagedWrite.h"

#include "core/io/FileWriter.h"

std::string StagedName(const std::string& path) { return path + ".partial"; }

std::string SetAsideName(const std::string& path) { return path + ".previous"; }

std::unique_ptr<CFile> CStagedFileSystem::OpenForWriting(const std::string& path, FileWriteMode nMode)
{
    if (nMode != FILE_CREATE_ALWAYS)
        return nullptr;
    std::unique_ptr<CFile> file = m_base.OpenForWriting(StagedName(path));
    if (file)
        m_targets.push_back(path);
    return file;
}

bool CStagedFileSystem::Commit()
{
    std::vector<std::string> targets;
    targets.swap(m_targets);
    bool ok = true;
    if (targets.size() == 1)
    {
        // One file: the replacement itself is all or nothing.
        ok = m_base.Replace(StagedName(targets[0]), targets[0]);
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
            setAside[placed] = m_base.Replace(target, SetAsideName(target));
            if (!m_base.Replace(StagedName(target), target))
            {
                if (setAside[placed])
                    m_base.Replace(SetAsideName(target), target);
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
                    m_base.Remove(SetAsideName(target));
            }
            else if (setAside[i])
                m_base.Replace(SetAsideName(target), target);
            else
                m_base.Remove(target);   // there was no file by that name
        }
    }
    if (!ok)
        for (const std::string& target : targets)
            m_base.Remove(StagedName(target));
    return ok;
}

void CStagedFileSystem::Discard()
{
    for (const std::string& target : m_targets)
        m_base.Remove(StagedName(target));
    m_targets.clear();
}

bool WriteWholeFile(CFileSystem& files, const std::string& path, std::string_view bytes)
{
    CStagedFileSystem staged(files);
    // On failure the temporary goes with the staged files.
    return WriteFileBytes(staged, path, bytes) && staged.Commit();
}
