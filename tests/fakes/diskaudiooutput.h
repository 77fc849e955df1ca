#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Sends the program's sound to a file through SDL's disk audio driver, so a test can
// read back what was played. SDL reads the settings each time the device opens, and
// the file starts afresh at each opening: it holds what sounded since the device was
// last opened. The previous settings are put back on destruction.
class TDiskAudioOutput {
public:
    // SpeedUp: how many times faster than real time the driver consumes sound.
    explicit TDiskAudioOutput(int SpeedUp = 20);
    ~TDiskAudioOutput();

    QString FileName() const;
    // Changes how fast the next opened device runs.
    void SetSpeedUp(int SpeedUp);
    // The largest absolute sample in the file (16-bit samples).
    int Peak() const;
    // Milliseconds from the first to the last sample louder than Threshold (at the
    // device's 44100 Hz stereo), 0 when none is.
    int LoudSpanMs(int Threshold = 1000) const;

private:
    QByteArray Samples() const;

    QTemporaryDir FDir;
    QByteArray FOldDriver, FOldFile, FOldDelay;
};
