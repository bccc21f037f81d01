// ODBC registrations of tavoinst: the Jet driver family, the data source of
// a database file (test-opened once), and its removal on uninstall.
#pragma once

#include <string>

namespace postinst
{

struct OdbcDriverMember;

// Registers the member twice; reports only a failure of the second call.
void InstallOdbcDriver(const OdbcDriverMember& member);

// Creates the user data source named after the database file and opens it
// once; true when both worked. Shows the long failure message otherwise.
bool CreateDataSource(const std::string& databasePath);

// Removes a data source; its result is of no interest to the uninstaller.
void RemoveDataSource(const std::string& name);

}   // namespace postinst
