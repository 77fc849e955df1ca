#include "tests/fakes/diskaudiooutput.h"

#include <QFile>
#include <QtEndian>

#include <cstdlib>

namespace {
// One buffer of the device: 1024 frames at 44100 Hz.
constexpr int BufferMs = 23;
constexpr int FrameRate = 44100;
constexpr int Channels = 2;
}

TDiskAudioOutput::TDiskAudioOutput(int SpeedUp)
    : FOldDriver(qgetenv("SDL_AUDIODRIVER"))
    , FOldFile(qgetenv("SDL_DISKAUDIOFILE"))
    , FOldDelay(qgetenv("SDL_DISKAUDIODELAY"))
{
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", FileName().toLocal8Bit());
    SetSpeedUp(SpeedUp);
}

TDiskAudioOutput::~TDiskAudioOutput()
{
    const auto Restore = [](const char* Name, const QByteArray& Value) {
        if (Value.isNull()) {
            qunsetenv(Name);
        } else {
            qputenv(Name, Value);
        }
    };
    Restore("SDL_AUDIODRIVER", FOldDriver);
    Restore("SDL_DISKAUDIOFILE", FOldFile);
    Restore("SDL_DISKAUDIODELAY", FOldDelay);
}

QString TDiskAudioOutput::FileName() const { return FDir.filePath(QStringLiteral("output.raw")); }

void TDiskAudioOutput::SetSpeedUp(int SpeedUp)
{
    qputenv("SDL_DISKAUDIODELAY", QByteArray::number(std::max(1, BufferMs / std::max(1, SpeedUp))));
}

QByteArray TDiskAudioOutput::Samples() const
{
    QFile File(FileName());
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

int TDiskAudioOutput::Peak() const
{
    const QByteArray Data = Samples();
    int Result = 0;
    for (qsizetype i = 0; i + 1 < Data.size(); i += 2) {
        Result = std::max(Result, std::abs(int(qFromLittleEndian<qint16>(Data.constData() + i))));
    }
    return Result;
}

int TDiskAudioOutput::LoudSpanMs(int Threshold) const
{
    const QByteArray Data = Samples();
    qsizetype First = -1, Last = -1;
    for (qsizetype i = 0; i + 1 < Data.size(); i += 2) {
        if (std::abs(int(qFromLittleEndian<qint16>(Data.constData() + i))) > Threshold) {
            if (First < 0) {
                First = i;
            }
            Last = i;
        }
    }
    if (First < 0) {
        return 0;
    }
    const qsizetype Frames = (Last - First) / (2 * Channels) + 1;
    return int(Frames * 1000 / FrameRate);
}
