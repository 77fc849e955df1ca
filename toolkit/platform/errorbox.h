#pragma once

#include "toolkit/core/tstring.h"

// The standard error box: title, error icon, the text, one OK button. Tests install a
// recorder in its place.
class IErrorBox {
public:
    virtual ~IErrorBox() = default;
    virtual void ShowError(const TString& Title, const TString& Text) = 0;
};

IErrorBox& ErrorBox();
void SetErrorBox(IErrorBox* Box);
