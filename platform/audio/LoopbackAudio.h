#pragma once
// Test hooks: replace the shared sound device with OpenAL's loopback device,
// which mixes only when asked, so tests can assert on the samples it renders.

// Closes whatever device is open (sound objects made on it fall silent) and
// opens a loopback device mixing plain stereo (no HRTF) at sampleRate. False
// when the OpenAL in use has no loopback support.
bool OpenLoopbackAudioForTests(int sampleRate);

// Mixes the next frames of the loopback device into out as interleaved
// left/right floats; silence when no loopback device is open.
void RenderLoopbackSamples(float* out, int frames);

// Closes the shared device. With reopenOnFirstUse the next sound device
// opens the default OpenAL device again; without it none opens, as on a
// machine without sound, until a loopback device is opened.
void CloseAudioForTests(bool reopenOnFirstUse);
