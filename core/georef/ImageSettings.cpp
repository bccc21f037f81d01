#include "core/georef/ImageSettings.h"

#include "core/io/Path.h"
#include "core/io/StagedWrite.h"

std::string CImageSettings::Get(const std::string& strKey) const
{
    const auto found = m_values.find(strKey);
    return found == m_values.end() ? std::string() : found->second;
}

void CImageSettings::Set(const std::string& strKey, const std::string& strValue)
{
    if (strValue.empty())
        m_values.erase(strKey);
    else
        m_values[strKey] = strValue;
}

CImageSettings CImageSettings::Parse(const std::string& strText)
{
    CImageSettings settings;
    size_t start = 0;
    while (start < strText.size())
    {
        size_t end = strText.find('\n', start);
        if (end == std::string::npos)
            end = strText.size();
        std::string line = strText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t equals = line.find('=');
        // Lines without a key are no settings; the last of a repeated key wins.
        if (equals != std::string::npos && equals > 0)
            settings.Set(line.substr(0, equals), line.substr(equals + 1));
        start = end + 1;
    }
    return settings;
}

std::string CImageSettings::Format() const
{
    std::string text;
    for (const auto& entry : m_values)
        text += entry.first + "=" + entry.second + "\r\n";
    return text;
}

std::string ImageSettingsPath(const char* pszImagePath) { return SideFileName(pszImagePath, ".quarvex"); }

bool ReadImageSettings(const char* pszImagePath, CImageSettings* pSettings, CFileSystem& files)
{
    *pSettings = CImageSettings();
    const std::string path = ImageSettingsPath(pszImagePath);
    std::string text;
    if (!ReadWholeFile(files, path, &text))
        return !files.Exists(path);
    *pSettings = CImageSettings::Parse(text);
    return true;
}

CImageSettings ReadImageSettings(const char* pszImagePath, CFileSystem& files)
{
    CImageSettings settings;
    ReadImageSettings(pszImagePath, &settings, files);
    return settings;
}

bool UpdateImageSetting(const char* pszImagePath, const std::string& strKey, const std::string& strValue,
                        CFileSystem& files)
{
    CImageSettings settings;
    if (!ReadImageSettings(pszImagePath, &settings, files))
        return false;
    settings.Set(strKey, strValue);
    return WriteImageSettings(pszImagePath, settings, files);
}

bool WriteImageSettings(const char* pszImagePath, const CImageSettings& settings, CFileSystem& files)
{
    const std::string path = ImageSettingsPath(pszImagePath);
    if (settings.IsEmpty())
        return files.Remove(path);
    return WriteWholeFile(files, path, settings.Format());
}
