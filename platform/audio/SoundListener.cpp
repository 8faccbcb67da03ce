#include "platform/audio/SoundListener.h"

#include <cmath>

namespace {

bool IsFinite(float x, float y, float z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

} // namespace

SoundListener::SoundListener(std::shared_ptr<DeviceListener> listener_, uint32_t generation_)
	: listener(std::move(listener_)), generation(generation_) {}

bool SoundListener::IsAlive() const {
	const AudioDevice& device = AudioDevice::Get();
	return device.IsOpen() && device.Generation() == generation;
}

HRESULT SoundListener::QueryInterface(REFIID iid, void** object) {
	if (object == nullptr) {
		return E_POINTER;
	}
	*object = nullptr;
	if (IsEqualGUID(iid, IID_IDirectSound3DListener)) {
		AddRef();
		*object = static_cast<IDirectSound3DListener8*>(this);
		return S_OK;
	}
	return E_NOINTERFACE;
}

template <typename Change>
HRESULT SoundListener::Update(DWORD apply, Change change) {
	if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) {
		return DSERR_INVALIDPARAM;
	}
	if (!IsAlive()) {
		return DSERR_NODRIVER;
	}
	if (apply == DS3D_DEFERRED) {
		ListenerState pending = listener->Pending();
		change(pending);
		listener->Defer(pending);
		return DS_OK;
	}
	// A setting still deferred must not undo this one at the commit.
	if (listener->HasDeferred()) {
		ListenerState pending = listener->Pending();
		change(pending);
		listener->Defer(pending);
	}
	ListenerState next = listener->State();
	change(next);
	listener->SetState(next);
	return DS_OK;
}

HRESULT SoundListener::GetPosition(D3DVECTOR* position) {
	if (position == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*position = listener->State().position;
	return DS_OK;
}

HRESULT SoundListener::SetPosition(float x, float y, float z, DWORD apply) {
	if (!IsFinite(x, y, z)) {
		return DSERR_INVALIDPARAM;
	}
	return Update(apply, [&](ListenerState& state) { state.position = {x, y, z}; });
}

HRESULT SoundListener::GetOrientation(D3DVECTOR* front, D3DVECTOR* top) {
	if (front == nullptr || top == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*front = listener->State().front;
	*top = listener->State().top;
	return DS_OK;
}

HRESULT SoundListener::SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ, DWORD apply) {
	// The two vectors must span a plane, or no right-hand side exists.
	const float crossX = frontY * topZ - frontZ * topY;
	const float crossY = frontZ * topX - frontX * topZ;
	const float crossZ = frontX * topY - frontY * topX;
	if (!IsFinite(frontX, frontY, frontZ) || !IsFinite(topX, topY, topZ) || crossX * crossX + crossY * crossY + crossZ * crossZ <= 0.0f) {
		return DSERR_INVALIDPARAM;
	}
	return Update(apply, [&](ListenerState& state) {
		state.front = {frontX, frontY, frontZ};
		state.top = {topX, topY, topZ};
	});
}

HRESULT SoundListener::GetRolloffFactor(float* rolloff) {
	if (rolloff == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*rolloff = listener->State().rolloff;
	return DS_OK;
}

HRESULT SoundListener::SetRolloffFactor(float rolloff, DWORD apply) {
	if (!(rolloff >= DS3D_MINROLLOFFFACTOR && rolloff <= DS3D_MAXROLLOFFFACTOR)) {
		return DSERR_INVALIDPARAM;
	}
	return Update(apply, [&](ListenerState& state) { state.rolloff = rolloff; });
}

HRESULT SoundListener::CommitDeferredSettings() {
	if (!IsAlive()) {
		return DSERR_NODRIVER;
	}
	listener->CommitDeferred();
	return DS_OK;
}
