#pragma once
#include <string>

// Name of a file kept beside pszPath: the path cut before the last "." of
// its file name, with pszExtension (".tvg", ".jgw", ".shx", ".dbf") appended.
// A file name without any dot gets the extension appended, so the side file
// always lies in the same folder: a dot in a folder name never counts.
std::string SideFileName(const char* pszPath, const char* pszExtension);
