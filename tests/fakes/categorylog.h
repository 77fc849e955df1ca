#pragma once

#include <QMutex>
#include <QStringList>

#include <QtGlobal>

// Records the messages of one logging category (debug ones included), from any thread,
// while it exists; the previous handler and rules come back on destruction. Tests use
// it to see that work done on another thread has finished.
class TCategoryLog {
public:
    explicit TCategoryLog(const char* Category);
    ~TCategoryLog();

    QStringList Messages() const;
    int Count(const QString& Start) const; // messages that start with Start

private:
    static void Handler(QtMsgType Type, const QMessageLogContext& Context, const QString& Message);

    QByteArray FCategory;
    mutable QMutex FMutex;
    QStringList FMessages;
    QtMessageHandler FPrevious = nullptr;
};
