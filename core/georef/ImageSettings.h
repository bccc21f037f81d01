// Settings kept per image beside it, in "<image name>.quarvex": the choices
// a user made for this scan (its coordinate system, its fit model) that the
// point file cannot carry. Older versions of the program never read it, and
// the point file stays exactly as it was.
//
// The file is text, one "key=value" line each, CR LF, in key order; keys
// this version does not know are kept as they were when it is rewritten.
#pragma once

#include <map>
#include <string>

#include "core/io/StdioFileSystem.h"

class CImageSettings
{
public:
    // "" when the key is absent.
    std::string Get(const std::string& strKey) const;
    // An empty value removes the key: absent means the default.
    void Set(const std::string& strKey, const std::string& strValue);
    bool IsEmpty() const { return m_values.empty(); }

    static CImageSettings Parse(const std::string& strText);
    std::string Format() const;

private:
    std::map<std::string, std::string> m_values;
};

// The settings file beside pszImagePath.
std::string ImageSettingsPath(const char* pszImagePath);
// Reads the settings beside the image; a missing or unreadable file gives
// none (every setting at its default).
CImageSettings ReadImageSettings(const char* pszImagePath, CFileSystem& files = StdioFileSystem());
// The same, telling a missing file (true, no settings) from one that is
// there but cannot be read (false).
bool ReadImageSettings(const char* pszImagePath, CImageSettings* pSettings, CFileSystem& files = StdioFileSystem());
// Writes them beside the image (whole, replacing the old file only once
// written), or removes the file when every setting is at its default.
// False when the file could not be written or removed.
bool WriteImageSettings(const char* pszImagePath, const CImageSettings& settings,
                        CFileSystem& files = StdioFileSystem());
// Sets one key (an empty value removes it) and rewrites the file with every
// other key as it is there now. False, with nothing written, when the file
// is there but cannot be read: writing then would lose the other keys.
bool UpdateImageSetting(const char* pszImagePath, const std::string& strKey, const std::string& strValue,
                        CFileSystem& files = StdioFileSystem());
