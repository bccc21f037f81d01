#include "core/io/FileSystem.h"

#include <algorithm>

bool ReadFileBytes(CFile& file, std::string* pBytes, size_t cbMost)
{
    pBytes->clear();
    const uint64_t size = file.Size();
    const uint64_t wanted = cbMost ? std::min<uint64_t>(cbMost, size) : size;
    if (wanted > pBytes->max_size() || !file.Seek(0))
        return false;
    pBytes->resize(static_cast<size_t>(wanted));
    size_t got = 0;
    while (got < pBytes->size())
    {
        const size_t n = file.Read(&(*pBytes)[got], pBytes->size() - got);
        if (n == 0)
            break;
        got += n;
    }
    // Fewer bytes than the size said: a read failed (or the file shrank).
    return got == pBytes->size();
}

bool ReadWholeFile(CFileSystem& files, const std::string& path, std::string* pBytes)
{
    pBytes->clear();
    std::unique_ptr<CFile> file = files.OpenForReading(path);
    return file && ReadFileBytes(*file, pBytes);
}
