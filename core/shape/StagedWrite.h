// Writes that cannot half-happen: each output goes to a temporary beside its
// target, and the targets are replaced only once every output of the save
// was written and closed in full. A crash or a full disk mid-save leaves the
// files a user already had exactly as they were.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/shape/ByteSink.h"

// How a finished temporary takes its target's place: the program replaces
// files through the system (durably), the tests in memory.
class CFileReplacer
{
public:
    virtual ~CFileReplacer() = default;
    // Puts the file from in place of to, replacing it; false when to is
    // unchanged (and always when from is no file).
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // Removes a temporary that is not wanted; a missing file is no failure.
    virtual bool Remove(const std::string& path) = 0;
};

// The temporary a target is written to: beside it, so that the replacement
// never crosses a volume.
std::string StagedName(const std::string& path);

// Where a replaced target waits while the other files of its save take
// their places, so that a failure part way can put every old file back.
std::string SetAsideName(const std::string& path);

// Opens temporaries through the base opener; Commit replaces the targets,
// in the order they were opened. Temporaries not committed are removed when
// the opener goes (a failed or abandoned save leaves nothing behind).
class CStagedSinkOpener : public CSinkOpener
{
public:
    CStagedSinkOpener(CSinkOpener& base, CFileReplacer& replacer) : m_base(base), m_replacer(replacer) {}
    ~CStagedSinkOpener() override { Discard(); }
    CStagedSinkOpener(const CStagedSinkOpener&) = delete;
    CStagedSinkOpener& operator=(const CStagedSinkOpener&) = delete;

    std::unique_ptr<CByteSink> OpenForWriting(const std::string& path) override;

    // Replaces every target by its temporary. False when a target could not
    // be replaced: the targets are then all as they were (files that belong
    // together, such as a shapefile's, never mix old and new) and the
    // temporaries are removed.
    bool Commit();
    void Discard();

private:
    CSinkOpener& m_base;
    CFileReplacer& m_replacer;
    std::vector<std::string> m_targets;
};

// The two halves of writing a user's files safely, passed together: how a
// file is opened for writing, and how a finished temporary takes its
// target's place.
struct CStagedFiles
{
    CSinkOpener& opener;
    CFileReplacer& replacer;
};

// Writes one whole file through a staged opener: bytes to the temporary,
// then the replacement. False when anything failed; the target is then as
// it was.
bool WriteWholeFile(const std::string& path, const std::string& bytes, CSinkOpener& base, CFileReplacer& replacer);
inline bool WriteWholeFile(const std::string& path, const std::string& bytes, const CStagedFiles& files)
{
    return WriteWholeFile(path, bytes, files.opener, files.replacer);
}

// The C library's replacement (rename over the target): atomic on POSIX
// systems. The Win32 program passes its own (MoveFileEx, write-through).
CFileReplacer& PortableFileReplacer();
// The C library's files with that replacement: the tests and the native tools.
CStagedFiles PortableFiles();
