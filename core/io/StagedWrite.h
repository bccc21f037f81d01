// Writes that cannot half-happen: each output goes to a temporary beside its
// target, and the targets are replaced only once every output of the save
// was written and flushed in full. A crash or a full disk mid-save leaves the
// files a user already had exactly as they were.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/io/FileSystem.h"

// The temporary a target is written to: beside it, so that the replacement
// never crosses a volume.
std::string StagedName(const std::string& path);

// Where a replaced target waits while the other files of its save take
// their places, so that a failure part way can put every old file back.
std::string SetAsideName(const std::string& path);

// Files opened for writing through it go to temporaries of the base; Commit
// replaces the targets, in the order they were opened. Temporaries not
// committed are removed when it goes (a failed or abandoned save leaves
// nothing behind). Everything else passes through to the base.
class CStagedFileSystem : public CFileSystem
{
public:
    explicit CStagedFileSystem(CFileSystem& base) : m_base(base) {}
    ~CStagedFileSystem() override { Discard(); }
    CStagedFileSystem(const CStagedFileSystem&) = delete;
    CStagedFileSystem& operator=(const CStagedFileSystem&) = delete;

    std::unique_ptr<CFile> OpenForReading(const std::string& path) override { return m_base.OpenForReading(path); }
    // Only whole new files are staged; appending is refused.
    std::unique_ptr<CFile> OpenForWriting(const std::string& path, FileWriteMode nMode = FILE_CREATE_ALWAYS) override;
    bool Replace(const std::string& from, const std::string& to) override { return m_base.Replace(from, to); }
    bool Remove(const std::string& path) override { return m_base.Remove(path); }
    bool Exists(const std::string& path) override { return m_base.Exists(path); }

    // Replaces every target by its temporary. False when a target could not
    // be replaced: the targets are then all as they were (files that belong
    // together, such as a shapefile's, never mix old and new) and the
    // temporaries are removed.
    bool Commit();
    void Discard();

private:
    CFileSystem& m_base;
    std::vector<std::string> m_targets;
};

// Replaces a file atomically by the bytes: written whole to a temporary
// beside it, flushed to the disk, then moved over it. False when anything
// failed; the target is then as it was and no temporary is left.
bool WriteWholeFile(CFileSystem& files, const std::string& path, std::string_view bytes);
