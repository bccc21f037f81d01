// Times the program's start-up under Wine: from CreateProcess to the moment
// its message loop first waits for input (WaitForInputIdle), the start-up a
// user waits through, best of REPEATS; the process is then ended.
// Usage: app_startup_timer PROGRAM.exe REPEATS [IMAGE]
// Prints: best_ms
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: app_startup_timer PROGRAM.exe REPEATS [IMAGE]\n");
        return 2;
    }
    const int repeats = std::max(1, std::atoi(argv[2]));
    std::string commandLine = "\"" + std::string(argv[1]) + "\"";
    if (argc > 3)
        commandLine += " \"" + std::string(argv[3]) + "\"";
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int i = 0; i < repeats; ++i)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::string line = commandLine;
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        {
            std::fprintf(stderr, "cannot start %s\n", argv[1]);
            return 1;
        }
        const DWORD waited = WaitForInputIdle(process.hProcess, 60000);
        QueryPerformanceCounter(&to);
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (waited != 0)
        {
            std::fprintf(stderr, "%s never waited for input\n", argv[1]);
            return 1;
        }
        best = std::min(best, 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart);
    }
    std::printf("%.1f\n", best);
    return 0;
}
