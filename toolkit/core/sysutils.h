#pragma once

#include <QString>

#include <exception>

// A failure the user is meant to read: it carries its French message. Event handlers
// let it escape; the application catches it at the edge of the handler and shows the
// standard error box (TApplication::HandleException).
class Exception : public std::exception {
public:
    explicit Exception(QString Message);
    const QString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// A text that does not read as the value asked for (times, numbers).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be read or written.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// The text shown in the error box: a full stop is appended when the last character
// sorts after "." in character-code order.
QString ErrorBoxText(const QString& Message);

// "%s" substitution the way the messages are written: each "%s" in turn takes the
// next argument.
QString FormatMessage(const QString& Pattern, const QStringList& Args);
