#pragma once
// A handle on one device's listener. Handles from the same primary buffer
// share it, deferred settings included; other devices are not touched.

#include "platform/audio/DeviceListener.h"
#include "platform/audio/DSound.h"
#include "platform/system/RefCounted.h"

#include <memory>

class SoundListener final : public RefCounted<IDirectSound3DListener8> {
public:
	SoundListener(std::shared_ptr<DeviceListener> listener, uint32_t generation);

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

	std::shared_ptr<DeviceListener> listener;
	uint32_t generation;
};
