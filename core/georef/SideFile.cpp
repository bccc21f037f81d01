#include "core/georef/SideFile.h"

#include <cstring>

std::string SideFileName(const char* pszPath, const char* pszExtension)
{
    std::string path(pszPath ? pszPath : "");
    size_t nameStart = path.find_last_of("\\/");
    nameStart = (nameStart == std::string::npos) ? 0 : nameStart + 1;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= nameStart)
        path.erase(dot);
    return path + pszExtension;
}
