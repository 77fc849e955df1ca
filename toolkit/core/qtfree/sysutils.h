#pragma once

#include "toolkit/core/tstring.h"

#include <exception>
#include <string>

// The failures of toolkit/core/sysutils.h for the build with no Qt (the windows preset),
// which reaches this file under that name: the same classes, their message being the
// toolkit's own text. The Qt build's sysutils.h keeps the message in a QString until the
// text type has moved through the core; this file goes then.
class Exception : public std::exception {
public:
    explicit Exception(TString Message);
    const TString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    TString FMessage;
    std::string FUtf8;
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
