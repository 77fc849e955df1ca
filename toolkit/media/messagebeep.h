#pragma once

// The system's default warning sound: a short tone that returns at once, so the
// window thread never waits for it. A missing audio device leaves it silent.
void MessageBeep(unsigned Type = 0);
