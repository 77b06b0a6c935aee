#pragma once

#include <QString>
#include <QStringList>

// A statement with its ":name" parameters replaced by "?" for the server,
// and the parameter names in the order they appear (a name may repeat).
struct TParsedSql {
    QString Sql;
    QStringList Names;
};

// Finds the ":name" parameters outside quotes and comments. A name runs over
// letters, digits, "_" and "$"; where a backquoted identifier of the same
// statement follows the colon, the name is that identifier, so that
// "values (:my col)" after "(`my col`)" names the parameter "my col".
// ":=" and "::" are no parameters.
TParsedSql ParseSqlParams(const QString& sql);

// Where a script's statements end.
enum class TScriptSplit {
    // At the delimiter only: a user's script.
    AtDelimiter,
    // Also before a line that starts with the word "create" (with the ";"
    // delimiter, at parenthesis depth 0, when the statement before it is
    // complete): the generated table scripts, whose statements are separated
    // by line breaks only.
    AtDelimiterAndCreateLines,
};

// One statement of a script: its text as written, without the delimiter and
// the blanks round it, and the line (from 1) it starts on.
struct TSqlStatement {
    QString Text;
    int Line = 1;
};

// Splits a script into statements at the delimiter (";" unless a DELIMITER
// line changes it) outside quotes and comments. Statements holding only
// comments are left out; a versioned comment ("/*!...*/", "/*M!...*/") is
// statement text, for the server to run or skip by its version.
QList<TSqlStatement> SplitSqlStatements(const QString& script, TScriptSplit split = TScriptSplit::AtDelimiter);
// The same, texts only.
QStringList SplitSqlScript(const QString& script, TScriptSplit split = TScriptSplit::AtDelimiter);

// The text with a final delimiter ";" (and blanks) removed, for wrapping a
// statement into another one.
QString StripStatementEnd(const QString& sql);

// Whether a statement only reads (SELECT, WITH, SHOW, DESCRIBE, EXPLAIN, or
// a parenthesised SELECT), after blanks and comments.
bool IsReadingStatement(const QString& sql);

// The first word of a statement in lower case, after blanks, comments and
// opening parentheses.
QString LeadingKeyword(const QString& sql);
