#include "toolkit/core/log.h"

#include <atomic>
#include <cstdio>

namespace {
void StandardErrorSink(const TLogCategory& Category, TLogLevel Level, std::string_view Text)
{
    if (Level >= Category.Threshold) {
        std::fprintf(stderr, "%s: %.*s\n", Category.Name, int(Text.size()), Text.data());
    }
}

std::atomic<TLogSink> Sink { StandardErrorSink };
}

void SetLogSink(TLogSink Value)
{
    Sink.store(Value ? Value : StandardErrorSink);
}

void Log(const TLogCategory& Category, TLogLevel Level, std::string_view Text)
{
    Sink.load()(Category, Level, Text);
}
