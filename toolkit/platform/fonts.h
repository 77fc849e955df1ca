#pragma once

#include <QString>

// The user's fonts folder and the program's font table.
class IFontService {
public:
    virtual ~IFontService() = default;
    // The fonts folder with a trailing "/", or empty when it cannot be known.
    virtual QString FontsFolder() const = 0;
    // Copies Source over Target; false when it could not.
    virtual bool CopyFontFile(const QString& Source, const QString& Target) = 0;
    // Adds a font file to the program's font table; returns the families it holds.
    virtual QStringList AddFontResource(const QString& FileName) = 0;
};

IFontService& FontService();
void SetFontService(IFontService* Service);
