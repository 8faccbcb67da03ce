#include "platform/audio/DeviceListener.h"

#include <algorithm>
#include <cmath>

namespace {

D3DVECTOR Cross(const D3DVECTOR& a, const D3DVECTOR& b) {
	return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The listener checks that front and top span a plane, so neither is zero.
D3DVECTOR Normalized(const D3DVECTOR& v) {
	const float length = std::sqrt(Dot(v, v));
	return {v.x / length, v.y / length, v.z / length};
}

} // namespace

DeviceListener::DeviceListener() { UpdateAxes(); }

// As OpenAL does with its own listener: front wins, top is only bent into
// the plane at right angles to it.
void DeviceListener::UpdateAxes() {
	ahead = Normalized(state.front);
	right = Normalized(Cross(state.top, ahead));
	up = Cross(ahead, right);
}

void DeviceListener::SetState(const ListenerState& next) {
	state = next;
	UpdateAxes();
	// Copy: re-placing a voice may take a pooled source from another.
	const std::vector<AudioVoice*> live = voices;
	for (AudioVoice* voice : live) {
		voice->ListenerMoved();
	}
}

void DeviceListener::Defer(const ListenerState& next) {
	deferred = next;
	hasDeferred = true;
}

void DeviceListener::CommitDeferred() {
	if (hasDeferred) {
		hasDeferred = false;
		SetState(deferred);
	}
	const std::vector<AudioVoice*> live = voices;
	for (AudioVoice* voice : live) {
		voice->CommitDeferred();
	}
}

void DeviceListener::Attach(AudioVoice* voice) { voices.push_back(voice); }

void DeviceListener::Detach(AudioVoice* voice) { voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end()); }

void DeviceListener::ToListenerFrame(const D3DVECTOR& world, ALfloat out[3]) const {
	const D3DVECTOR offset = {world.x - state.position.x, world.y - state.position.y, world.z - state.position.z};
	ToOpenAL({Dot(offset, right), Dot(offset, up), Dot(offset, ahead)}, out);
}
