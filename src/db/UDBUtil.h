#pragma once

#include "platform/dac/UFieldType.h"

#include <QString>

class TUniConnection;

// Database type words ("Mysql", "Postgres", "MsSql", "Sqlite", "DBF") and the
// names derived from them.

// The type word of a provider or product name: the first of "postgres",
// "sql server", "mysql", "sqlite", "dbf" that the lower-cased name contains;
// the name unchanged when none does.
QString DBKindOfProvider(const QString& name);

// The provider name a connection is set to: "MySQL" for "Mysql".
QString DBDisplayName(const QString& typeWord);

// "U" + K + role + ".T" + K + role with K the type word of name:
// "UMysqlDBDictionary.TMysqlDBDictionary" for ("MySQL", "DBDictionary").
QString DBClassName(const QString& name, const QString& role);

// The provider component's name ("MySQLUniProvider") and qualified class
// name ("MySQLUniProvider.TMySQLUniProvider") for a type word.
QString DBProviderComponentName(const QString& typeWord);
QString DBProviderClassName(const QString& typeWord);

// "user@server:port:database" from the connection's current properties,
// leaving out the empty parts (and a port of 0) and a final ":".
QString ConnectionDisplayText(const TUniConnection& connection);

// The field types taken as numbers: small, plain and large integers, words,
// auto-increments, floats, currency and BCD; FMTBcd, LongWord, Byte and
// Extended are not among them.
bool IsNumericFieldType(TFieldType type);

// Closes and reopens a file-based ("DBF") connection; nothing for servers.
void Reconnect(TUniConnection& connection);
