#include "installer/post/OdbcSetup.h"

#include "winbase/Handles.h"
#include "installer/post/Module.h"
#include "core/postinst/PostInstText.h"

#include <windows.h>

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

namespace postinst
{

namespace
{

// The system's ODBC installer library, bound at run time: on a computer
// without it every call simply counts as failed.
class OdbcInstaller
{
public:
    OdbcInstaller() : m_library(LoadLibraryA("odbccp32.dll"))
    {
        if (!m_library)
            return;
        m_installDriverEx = reinterpret_cast<InstallDriverExFn>(
            reinterpret_cast<void*>(GetProcAddress(m_library.Get(), "SQLInstallDriverEx")));
        m_configDataSource = reinterpret_cast<ConfigDataSourceFn>(
            reinterpret_cast<void*>(GetProcAddress(m_library.Get(), "SQLConfigDataSource")));
        m_removeDsnFromIni = reinterpret_cast<RemoveDsnFromIniFn>(
            reinterpret_cast<void*>(GetProcAddress(m_library.Get(), "SQLRemoveDSNFromIni")));
    }

    bool InstallDriverEx(const std::string& attributeList)
    {
        if (!m_installDriverEx)
            return false;
        char pathOut[MAX_PATH] = "";
        WORD pathOutLength = 0;
        DWORD usageCount = 0;
        return m_installDriverEx(attributeList.c_str(), nullptr, pathOut, MAX_PATH, &pathOutLength,
                                 ODBC_INSTALL_COMPLETE, &usageCount) != FALSE;
    }

    bool ConfigDataSource(WORD request, const char* driver, const std::string& attributeList)
    {
        return m_configDataSource && m_configDataSource(nullptr, request, driver, attributeList.c_str()) != FALSE;
    }

    bool RemoveDsnFromIni(const char* name) { return m_removeDsnFromIni && m_removeDsnFromIni(name) != FALSE; }

private:
    using InstallDriverExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPSTR, WORD, WORD*, WORD, LPDWORD);
    using ConfigDataSourceFn = BOOL(WINAPI*)(HWND, WORD, LPCSTR, LPCSTR);
    using RemoveDsnFromIniFn = BOOL(WINAPI*)(LPCSTR);

    UniqueModule m_library;
    InstallDriverExFn m_installDriverEx = nullptr;
    ConfigDataSourceFn m_configDataSource = nullptr;
    RemoveDsnFromIniFn m_removeDsnFromIni = nullptr;
};

// An ODBC handle of the driver manager, freed with its own type.
template <SQLSMALLINT Type>
class OdbcHandle
{
public:
    OdbcHandle() = default;
    ~OdbcHandle()
    {
        if (m_handle)
            SQLFreeHandle(Type, m_handle);
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    SQLHANDLE* Out() { return &m_handle; }
    SQLHANDLE Get() const { return m_handle; }

private:
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

bool Succeeded(SQLRETURN result) { return result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO; }

// Opens the data source by name through the driver manager and closes it
// again: proof that the new data source can be used.
bool TestConnection(const std::string& name)
{
    OdbcHandle<SQL_HANDLE_ENV> environment;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, environment.Out())))
        return false;
    SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    OdbcHandle<SQL_HANDLE_DBC> connection;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, environment.Get(), connection.Out())))
        return false;
    // The cursor library where the driver lacks scrollable cursors; a driver
    // manager without it still connects.
    SQLSetConnectAttr(connection.Get(), SQL_ATTR_ODBC_CURSORS, reinterpret_cast<SQLPOINTER>(SQL_CUR_USE_IF_NEEDED), 0);
    std::string connect = "DSN=" + name + ";";
    SQLCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    // No prompt: an unattended set-up must not stop on a driver's log-in box.
    const SQLRETURN result =
        SQLDriverConnect(connection.Get(), nullptr, reinterpret_cast<SQLCHAR*>(&connect[0]), SQL_NTS, completed,
                         sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
    if (!Succeeded(result))
        return false;
    SQLDisconnect(connection.Get());
    return true;
}

}   // namespace

void InstallOdbcDriver(const OdbcDriverMember& member)
{
    const std::string list = MakeAttributeList(MakeDriverAttributeText(member, SystemDirectory()));
    OdbcInstaller installer;
    if (!installer.InstallDriverEx(list))
        return;
    // Registered twice: the usage count rises by two, as installed
    // applications of this family expect.
    if (!installer.InstallDriverEx(list))
        FrameworkMessageBox(member.failureMessage);
}

bool CreateDataSource(const std::string& databasePath)
{
    const std::string list = MakeAttributeList(MakeDataSourceAttributeText(databasePath));
    bool created = false;
    {
        OdbcInstaller installer;
        created = installer.ConfigDataSource(ODBC_ADD_DSN, kAccessDriverName, list);
    }
    const bool opened = created && TestConnection(BaseName(databasePath));
    if (!opened)
        FrameworkMessageBox(kDataSourceFailureMessage);
    return opened;
}

void RemoveDataSource(const std::string& name)
{
    OdbcInstaller installer;
    installer.RemoveDsnFromIni(name.c_str());
}

}   // namespace postinst
