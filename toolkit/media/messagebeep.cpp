#include "toolkit/media/messagebeep.h"

#include "toolkit/platform/audio.h"

void MessageBeep(unsigned)
{
    AudioService().Beep();
}
