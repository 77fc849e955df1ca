#pragma once

#include "toolkit/core/tstring.h"

// Opens a web address in the user's browser; the result is not reported.
class IShell {
public:
    virtual ~IShell() = default;
    virtual void OpenUrl(const TString& Url) = 0;
};

IShell& Shell();
void SetShell(IShell* Shell);
