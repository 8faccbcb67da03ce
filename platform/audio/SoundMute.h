#pragma once
// The player's mute: every sound plays on as before, unheard, on the sound
// device open now and on any opened later.

void SetSoundMuted(bool muted);
bool SoundMuted();
