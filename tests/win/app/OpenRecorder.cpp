// Stands in for the user's web browser in the help tests: registered as the
// program that opens .html files, it appends the file it was asked to open,
// as one UTF-8 line, to the file that QUARVEX_OPENED_LOG names.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "winbase/Wide.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    wchar_t log[MAX_PATH * 2] = {};
    if (!argv || argc < 2 || !GetEnvironmentVariableW(L"QUARVEX_OPENED_LOG", log, MAX_PATH * 2))
        return 1;
    const std::string line = Narrow(argv[1]) + "\n";
    LocalFree(argv);
    FILE* file = _wfopen(log, L"ab");
    if (!file)
        return 1;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
    return 0;
}
