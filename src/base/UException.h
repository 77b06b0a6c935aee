#pragma once

#include <QString>
#include <exception>
#include <string>

// The program's exception: carries the user-visible message text.
class Exception : public std::exception {
public:
    explicit Exception(const QString& message);
    const QString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    QString FMessage;
    std::string FWhat;
};

// A silent abort: shown nowhere, logged nowhere.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// An input/output failure of a file operation.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// A value that cannot be converted (number, date, cast of an object).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The message of any exception: ours carry a QString, others a UTF-8 what().
QString ExceptionMessage(const std::exception& e);
