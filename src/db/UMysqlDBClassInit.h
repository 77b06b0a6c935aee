#pragma once

// Registers the MySQL classes for creation by qualified name; run by the
// program's ordered start-up before the application object exists, and
// undone at shut-down. The units of the logon dialog and the table creator
// register their MySQL classes themselves.
void InitMysqlDBClasses();
void DoneMysqlDBClasses();
