// File names as the program handles them: Windows paths, whose folders end
// at "\" or "/" (and a drive at ":"), whatever system the code runs on.
#pragma once

#include <string>

// "C:\maps\site.v2.jpg" -> "site.v2.jpg".
std::string PathFileName(const std::string& path);
// "C:\maps\site.v2.jpg" -> "site.v2": the file name before its last dot.
std::string PathStem(const std::string& path);
// "C:\maps\site.v2.jpg" -> ".jpg"; "" when the file name has no dot (a dot
// in a folder name never counts).
std::string PathExtension(const std::string& path);
// "C:\maps\site.jpg" -> "C:\maps\", with its separator; "" for a bare name.
std::string PathFolder(const std::string& path);
// Windows compares file names in any letter case: "A.SHX" is "a.shx".
bool SameFileName(const std::string& a, const std::string& b);

// Name of a file kept beside pszPath: the path cut before the last "." of
// its file name, with pszExtension (".tvg", ".jgw", ".shx", ".dbf") appended.
// A file name without any dot gets the extension appended, so the side file
// always lies in the same folder: a dot in a folder name never counts.
std::string SideFileName(const char* pszPath, const char* pszExtension);
