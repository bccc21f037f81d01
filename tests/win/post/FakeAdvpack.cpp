// Stands in for the media's advpack.dll: RunSetupCommand writes its eight
// arguments, one a line, to the file named by TAVOINST_TEST_RECORD, and
// whether the INF it was given exists at that moment.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) HRESULT WINAPI
    RunSetupCommand(HWND window, LPCSTR command, LPCSTR section, LPCSTR directory, LPCSTR title, HANDLE* process,
                    DWORD flags, LPVOID reserved)
{
    char record[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("TAVOINST_TEST_RECORD", record, MAX_PATH))
        return E_FAIL;
    FILE* f = std::fopen(record, "wb");
    if (!f)
        return E_FAIL;
    std::fprintf(f, "window=%p\n", static_cast<void*>(window));
    std::fprintf(f, "command=%s\n", command ? command : "(null)");
    std::fprintf(f, "section=%s\n", section ? section : "(null)");
    std::fprintf(f, "directory=%s\n", directory ? directory : "(null)");
    std::fprintf(f, "title=%s\n", title ? title : "(null)");
    std::fprintf(f, "process=%s\n", process ? (*process ? "set" : "null") : "(no address)");
    std::fprintf(f, "flags=0x%lx\n", static_cast<unsigned long>(flags));
    std::fprintf(f, "reserved=%p\n", reserved);
    std::fprintf(f, "inf present=%d\n", command && GetFileAttributesA(command) != INVALID_FILE_ATTRIBUTES ? 1 : 0);
    std::fclose(f);
    return S_OK;
}
