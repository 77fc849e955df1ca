#include "toolkit/platform/wakecounter.h"

#include "toolkit/qt/qtconvert.h"

#include <cerrno>
#include <system_error>

#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// An eventfd: a kernel counter that reads as readable while it is not zero.
class TEventFdCounter : public IWakeCounter {
public:
    explicit TEventFdCounter(int Fd)
        : FFd(Fd)
    {
    }
    ~TEventFdCounter() override { ::close(FFd); }

    std::intptr_t Handle() const override { return std::intptr_t(FFd); }

    void Signal() override
    {
        const quint64 One = 1;
        const ssize_t Ignored = ::write(FFd, &One, sizeof One);
        Q_UNUSED(Ignored);
    }

    void Drain() override
    {
        quint64 Count = 0;
        const ssize_t Ignored = ::read(FFd, &Count, sizeof Count);
        Q_UNUSED(Ignored);
    }

private:
    int FFd;
};

} // namespace

std::unique_ptr<IWakeCounter> CreateWakeCounter(TString& Error)
{
    const int Fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (Fd < 0) {
        Error = FromQt(QString::fromLocal8Bit(
            std::error_code(errno, std::generic_category()).message().c_str()));
        return nullptr;
    }
    return std::make_unique<TEventFdCounter>(Fd);
}
