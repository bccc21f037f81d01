// Writes a file from start to end through a buffer: the shapefile writers
// hand over a field at a time, and one system call each would cost more
// than the formatting.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/FileSystem.h"

class CFileWriter
{
public:
    explicit CFileWriter(std::unique_ptr<CFile> file);
    CFileWriter(const CFileWriter&) = delete;
    CFileWriter& operator=(const CFileWriter&) = delete;

    // False when the file could not be opened.
    bool IsOpen() const { return m_file != nullptr; }
    // Appends cb bytes; false when not all of them were taken. After a
    // failure the writer refuses everything that follows.
    bool Write(const void* pData, size_t cb);
    // Ends the file with every byte on the disk (a staged temporary must be
    // whole there before it replaces anything); false when any was lost.
    bool Close();

private:
    bool Drain();

    std::unique_ptr<CFile> m_file;
    std::vector<unsigned char> m_buffer;
    size_t m_cbBuffered = 0;
    bool m_bFailed = false;
};

// Writes the bytes as a whole file; false when it cannot be opened or any
// byte was lost.
bool WriteFileBytes(CFileSystem& files, const std::string& path, std::string_view bytes);
