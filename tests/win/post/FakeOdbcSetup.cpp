// Stands in for the Access driver's setup library (odbcjt32.dll): ConfigDSN
// records its request, driver and attributes to the file named by
// TAVOINST_TEST_DSN_RECORD and writes the data source to the ODBC.INI, as a
// real setup library does.
#include <windows.h>

#include <odbcinst.h>

#include <cstdio>
#include <cstring>
#include <string>

extern "C" __declspec(dllexport) BOOL WINAPI ConfigDSN(HWND, WORD request, LPCSTR driver, LPCSTR attributes)
{
    std::string name, database;
    std::string flat;
    for (const char* item = attributes; item && *item; item += std::strlen(item) + 1)
    {
        flat += item;
        flat += '|';
        if (std::strncmp(item, "DSN=", 4) == 0)
            name = item + 4;
        else if (std::strncmp(item, "DBQ=", 4) == 0)
            database = item + 4;
    }
    char record[MAX_PATH] = "";
    if (GetEnvironmentVariableA("TAVOINST_TEST_DSN_RECORD", record, MAX_PATH))
    {
        if (FILE* f = std::fopen(record, "ab"))
        {
            std::fprintf(f, "request=%u\ndriver=%s\nattributes=%s\n", request, driver ? driver : "(null)",
                         flat.c_str());
            std::fclose(f);
        }
    }
    if (request != ODBC_ADD_DSN || name.empty())
        return FALSE;
    if (!SQLWriteDSNToIni(name.c_str(), driver))
        return FALSE;
    SQLWritePrivateProfileString(name.c_str(), "DBQ", database.c_str(), "ODBC.INI");
    return TRUE;
}
