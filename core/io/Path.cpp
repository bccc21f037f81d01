#include "core/io/Path.h"

namespace
{
size_t FileNameStart(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

// Where the extension's dot is; npos without one.
size_t ExtensionDot(const std::string& path)
{
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && dot >= FileNameStart(path) ? dot : std::string::npos;
}

char Folded(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
}   // namespace

std::string PathFileName(const std::string& path) { return path.substr(FileNameStart(path)); }

std::string PathStem(const std::string& path)
{
    const size_t start = FileNameStart(path);
    const size_t dot = ExtensionDot(path);
    return path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

std::string PathExtension(const std::string& path)
{
    const size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string PathFolder(const std::string& path) { return path.substr(0, FileNameStart(path)); }

bool SameFileName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return true;
}

std::string SideFileName(const char* pszPath, const char* pszExtension)
{
    std::string path(pszPath ? pszPath : "");
    const size_t dot = ExtensionDot(path);
    if (dot != std::string::npos)
        path.erase(dot);
    return path + pszExtension;
}
