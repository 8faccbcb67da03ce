#include "platform/audio/SoundMute.h"

#include "platform/audio/AudioDevice.h"

void SetSoundMuted(bool muted) { AudioDevice::Get().SetMuted(muted); }

bool SoundMuted() { return AudioDevice::Get().Muted(); }
