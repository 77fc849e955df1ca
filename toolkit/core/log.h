#pragma once

#include <string>
#include <string_view>

// Diagnostics by category ("veludor.forms", …) and level, for the layers that see no
// window system. A category's threshold is the least level it shows by default; the
// program's window system takes the messages over (the Qt widget set hands them to Qt's
// logging, where QT_LOGGING_RULES turns categories on and off), and until then they go
// to standard error.
enum class TLogLevel { Debug, Info, Warning };

struct TLogCategory {
    const char* Name;
    TLogLevel Threshold = TLogLevel::Debug;
};

using TLogSink = void (*)(const TLogCategory& Category, TLogLevel Level, std::string_view Text);
void SetLogSink(TLogSink Sink);

void Log(const TLogCategory& Category, TLogLevel Level, std::string_view Text);
inline void LogDebug(const TLogCategory& Category, std::string_view Text)
{
    Log(Category, TLogLevel::Debug, Text);
}
inline void LogInfo(const TLogCategory& Category, std::string_view Text)
{
    Log(Category, TLogLevel::Info, Text);
}
inline void LogWarning(const TLogCategory& Category, std::string_view Text)
{
    Log(Category, TLogLevel::Warning, Text);
}
