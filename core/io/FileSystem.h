// The one seam between the program and its files: every reader and writer
// of the user's files and of the recovery journal goes through a
// CFileSystem. The program passes the system's (winbase/), the native tools
// the C library's, the tests memory that can be told to fail at any byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CFile
{
public:
    virtual ~CFile() = default;
    // Both return how many bytes were moved; fewer than cb at the end (Read)
    // or on a failure. After a failed write the file refuses every later one.
    virtual size_t Read(void* pData, size_t cb) = 0;
    virtual size_t Write(const void* pData, size_t cb) = 0;
    virtual bool Seek(uint64_t offset) = 0;
    virtual uint64_t Tell() const = 0;
    virtual uint64_t Size() = 0;
    // Puts everything written so far on the disk; false when it may not be.
    virtual bool FlushToDisk() = 0;
    // Ends the file; false when anything written was lost (a buffered file
    // reports a full disk only here) or any earlier write failed.
    virtual bool Close() = 0;
};

enum FileWriteMode
{
    FILE_CREATE_ALWAYS,   // a new file, or an existing one emptied
    FILE_APPEND,          // an existing file, written at its end; readers may share it
};

class CFileSystem
{
public:
    virtual ~CFileSystem() = default;
    // Null when the file is missing or cannot be read; on Windows also while
    // another program has it open for writing (a journal in use).
    virtual std::unique_ptr<CFile> OpenForReading(const std::string& path) = 0;
    // Null when the file cannot be opened for writing in that mode.
    virtual std::unique_ptr<CFile> OpenForWriting(const std::string& path,
                                                  FileWriteMode nMode = FILE_CREATE_ALWAYS) = 0;
    // Moves the file from over to in one step; false when to is unchanged
    // (and always when from is no file).
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    // Removes a file; a missing one is no failure.
    virtual bool Remove(const std::string& path) = 0;
    virtual bool Exists(const std::string& path) = 0;
};

// The file's bytes from its start: all of them, or at most cbMost when that
// is not 0. False when a read failed before the end.
bool ReadFileBytes(CFile& file, std::string* pBytes, size_t cbMost = 0);
// A whole file's bytes; false when it cannot be opened or read to its end.
bool ReadWholeFile(CFileSystem& files, const std::string& path, std::string* pBytes);
