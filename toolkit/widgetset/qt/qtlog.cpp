#include "toolkit/core/log.h"

#include <QLoggingCategory>

#include <map>
#include <memory>
#include <mutex>

// The toolkit's diagnostics as Qt's, one Qt category per toolkit category, so that
// QT_LOGGING_RULES and the message pattern apply to them as to Qt's own.
namespace {
QLoggingCategory& QtCategory(const TLogCategory& Category)
{
    static std::mutex Lock;
    static std::map<const TLogCategory*, std::unique_ptr<QLoggingCategory>> Categories;
    const std::lock_guard Hold(Lock);
    auto& Entry = Categories[&Category];
    if (!Entry) {
        const QtMsgType Threshold = Category.Threshold == TLogLevel::Warning ? QtWarningMsg
            : Category.Threshold == TLogLevel::Info                          ? QtInfoMsg
                                                                             : QtDebugMsg;
        Entry = std::make_unique<QLoggingCategory>(Category.Name, Threshold);
    }
    return *Entry;
}

void QtLogSink(const TLogCategory& Category, TLogLevel Level, std::string_view Text)
{
    const QLoggingCategory& Q = QtCategory(Category);
    const QString Message = QString::fromUtf8(Text.data(), qsizetype(Text.size()));
    switch (Level) {
    case TLogLevel::Debug:
        if (Q.isDebugEnabled()) {
            QMessageLogger(nullptr, 0, nullptr, Q.categoryName()).debug().noquote() << Message;
        }
        break;
    case TLogLevel::Info:
        if (Q.isInfoEnabled()) {
            QMessageLogger(nullptr, 0, nullptr, Q.categoryName()).info().noquote() << Message;
        }
        break;
    case TLogLevel::Warning:
        if (Q.isWarningEnabled()) {
            QMessageLogger(nullptr, 0, nullptr, Q.categoryName()).warning().noquote() << Message;
        }
        break;
    }
}
}

void InstallQtLogSink()
{
    SetLogSink(QtLogSink);
}
