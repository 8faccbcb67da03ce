#pragma once
// A handle on the one listener. Every device's listener drives the same
// OpenAL listener; each keeps its own deferred changes until committed.

#include "platform/audio/AudioDevice.h"
#include "platform/audio/DSound.h"
#include "platform/system/RefCounted.h"

class SoundListener final : public RefCounted<IDirectSound3DListener8> {
public:
	SoundListener();

	HRESULT QueryInterface(REFIID iid, void** object) override;
	HRESULT GetPosition(D3DVECTOR* position) override;
	HRESULT SetPosition(float x, float y, float z, DWORD apply) override;
	HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) override;
	HRESULT SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ, DWORD apply) override;
	HRESULT GetRolloffFactor(float* rolloff) override;
	HRESULT SetRolloffFactor(float rolloff, DWORD apply) override;
	HRESULT CommitDeferredSettings() override;

private:
	~SoundListener() override = default;

	bool IsAlive() const;
	template <typename Change>
	HRESULT Update(DWORD apply, Change change);

	uint32_t generation;
	ListenerState deferred;
	bool hasDeferred = false;
};
