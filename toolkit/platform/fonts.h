#pragma once

#include "toolkit/core/tstring.h"

#include <vector>

// The user's fonts folder and the program's font table.
class IFontService {
public:
    virtual ~IFontService() = default;
    // The fonts folder with a trailing "/", or empty when it cannot be known.
    virtual TString FontsFolder() const = 0;
    // Copies Source over Target; false when it could not.
    virtual bool CopyFontFile(const TString& Source, const TString& Target) = 0;
    // Adds a font file to the program's font table; returns the families it holds.
    virtual std::vector<TString> AddFontResource(const TString& FileName) = 0;
};

IFontService& FontService();
void SetFontService(IFontService* Service);
