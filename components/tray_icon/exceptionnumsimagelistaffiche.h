#pragma once

#include "toolkit/core/sysutils.h"

#include <string>
#include <string_view>

// The error raised for a bad character in the tray icon's order text. Its message is
// held as 8-bit text in the Windows-1252 code page, as the component has always worded
// it; Message() gives it decoded, which is what the error box shows.
class ExceptionNumsImageLIstAffiche : public Exception {
public:
    explicit ExceptionNumsImageLIstAffiche(std::string AnsiMessage);
    const std::string& AnsiMessage() const { return FAnsiMessage; }

    // The message the tray icon raises, in Windows-1252 (each "é" is the byte 0xE9).
    static std::string MessageMauvaiseEntree();

private:
    std::string FAnsiMessage;
};

// Windows-1252 text as Unicode. The five codes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the C1 controls of the same number.
TString DecodeWindows1252(std::string_view Text);
