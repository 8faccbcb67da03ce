#pragma once
// The 3D face of a sound buffer. It keeps the buffer alive while held.

#include "platform/audio/SoundBuffer.h"

class Sound3DBuffer final : public RefCounted<IDirectSound3DBuffer8> {
public:
	// Takes a reference on buffer.
	explicit Sound3DBuffer(SoundBuffer* buffer);

	HRESULT QueryInterface(REFIID iid, void** object) override;
	HRESULT GetPosition(D3DVECTOR* position) override;
	HRESULT SetPosition(float x, float y, float z, DWORD apply) override;
	HRESULT GetMode(DWORD* mode) override;
	HRESULT SetMode(DWORD mode, DWORD apply) override;
	HRESULT GetMinDistance(float* distance) override;
	HRESULT SetMinDistance(float distance, DWORD apply) override;
	HRESULT GetMaxDistance(float* distance) override;
	HRESULT SetMaxDistance(float distance, DWORD apply) override;

private:
	~Sound3DBuffer() override;

	template <typename Change>
	HRESULT Update(DWORD apply, Change change);

	SoundBuffer* buffer;
};
