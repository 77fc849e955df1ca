#pragma once

#include "toolkit/core/tstring.h"

#include <exception>
#include <initializer_list>
#include <string>

// A failure the user is meant to read: it carries its French message. Event handlers
// let it escape; the application catches it at the edge of the handler and shows the
// standard error box (TApplication::HandleException).
class Exception : public std::exception {
public:
    explicit Exception(TString Message);
    const TString& Message() const { return FMessage; }
    // The message in UTF-8, for what logs and std::exception handlers read.
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

// The text shown in the error box: a full stop is appended when the last character
// sorts after "." in character-code order (UTF-16 code units, so every letter, accented
// or not, and the second half of a surrogate pair do).
TString ErrorBoxText(TStringView Message);

// "%s" substitution the way the messages are written: each "%s" in turn takes the
// next argument (Format's rules).
TString FormatMessage(TStringView Pattern, std::initializer_list<TStringView> Args);
