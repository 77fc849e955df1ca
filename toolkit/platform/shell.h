#pragma once

#include <QString>

// Opens a web address in the user's browser; the result is not reported.
class IShell {
public:
    virtual ~IShell() = default;
    virtual void OpenUrl(const QString& Url) = 0;
};

IShell& Shell();
void SetShell(IShell* Shell);
