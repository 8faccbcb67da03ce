#pragma once
// The listener of one DirectSound device. Every device hears its own buffers
// from its own listener, yet OpenAL has one listener per context: that one
// stays at the origin facing ahead, and each positioned source is handed its
// place as seen from its device's listener instead.

#include "platform/audio/AudioDevice.h"

#include <vector>

struct ListenerState {
	D3DVECTOR position = {0.0f, 0.0f, 0.0f};
	D3DVECTOR front = {0.0f, 0.0f, 1.0f};
	D3DVECTOR top = {0.0f, 1.0f, 0.0f};
	float rolloff = 1.0f;
};

class DeviceListener {
public:
	DeviceListener();

	const ListenerState& State() const { return state; }
	bool HasDeferred() const { return hasDeferred; }
	// What the next commit will apply: deferred changes build on each other.
	const ListenerState& Pending() const { return hasDeferred ? deferred : state; }
	// Re-places the voices of this device alone.
	void SetState(const ListenerState& next);
	void Defer(const ListenerState& next);
	// The deferred listener settings, then those of this device's buffers.
	void CommitDeferred();

	// The buffers made or duplicated by this device.
	void Attach(AudioVoice* voice);
	void Detach(AudioVoice* voice);

	// A point of the game's world as this listener hears it, in OpenAL's
	// axes, for a source relative to OpenAL's fixed listener.
	void ToListenerFrame(const D3DVECTOR& world, ALfloat out[3]) const;

private:
	void UpdateAxes();

	ListenerState state;
	ListenerState deferred;
	bool hasDeferred = false;
	// Orthonormal, from front and top; in the game's left-handed frame.
	D3DVECTOR right;
	D3DVECTOR up;
	D3DVECTOR ahead;
	std::vector<AudioVoice*> voices;
};
