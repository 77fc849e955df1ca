#pragma once

#include "toolkit/core/classes.h"
#include "toolkit/core/tstring.h"
#include "toolkit/core/types.h"

#include <cstdint>
#include <memory>

class ISound;

// Plays one sound file through the audio service: open, play, stop, position and
// length, close. Open is synchronous and reports failure; play returns at once and
// starts again from the beginning when the sound stands at its end; position and
// length (milliseconds) compare equal once playback has reached the end. The sound
// stays open after a stop; the next Open or Close, or the player's destruction, closes
// it. The player shows nothing: its bounds and visibility are only stored.
class TMediaPlayer : public TComponent {
public:
    explicit TMediaPlayer(TComponent* AOwner);
    ~TMediaPlayer() override;

    const TString& FileName() const { return FFileName; }
    void SetFileName(TStringView Value) { FFileName = Value; }

    // Closes a sound already open, then opens FileName. Throws Exception with a French
    // text naming the failure and the file; nothing is open then.
    void Open();
    void Close();
    bool IsOpen() const { return FSound != nullptr; }

    // Plays from the current position, from the start when at the end. Throws
    // "Aucun périphérique MCI ouvert" when nothing is open; any other failure is only
    // stored in Error and ErrorMessage.
    void Play();
    // Stops and keeps the position. Same errors as Play.
    void Stop();

    // 0 when nothing is open.
    std::int64_t Position() const;
    // Throws "Aucun périphérique MCI ouvert" when nothing is open; -1 while a format
    // that does not tell its length has not yet played to its end.
    std::int64_t Length() const;

    // The last play or stop failure: 0 and an empty text after a success.
    int Error() const { return FError; }
    const TString& ErrorMessage() const { return FErrorMessage; }

    const TRect& BoundsRect() const { return FBounds; }
    void SetBounds(int Left, int Top, int Width, int Height)
    {
        FBounds = TRect::FromSize(Left, Top, Width, Height);
    }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }

private:
    void CheckIfOpen() const;
    void ClearError();

    TString FFileName;
    std::unique_ptr<ISound> FSound;
    int FError = 0;
    TString FErrorMessage;
    TRect FBounds;
    bool FVisible = true;
};
