#include "platform/audio/Sound3DBuffer.h"

Sound3DBuffer::Sound3DBuffer(SoundBuffer* buffer_) : buffer(buffer_) { buffer->AddRef(); }

Sound3DBuffer::~Sound3DBuffer() { buffer->Release(); }

HRESULT Sound3DBuffer::QueryInterface(REFIID iid, void** object) {
	if (object == nullptr) {
		return E_POINTER;
	}
	*object = nullptr;
	if (IsEqualGUID(iid, IID_IDirectSound3DBuffer)) {
		AddRef();
		*object = static_cast<IDirectSound3DBuffer8*>(this);
		return S_OK;
	}
	return buffer->QueryInterface(iid, object);
}

template <typename Change>
HRESULT Sound3DBuffer::Update(DWORD apply, Change change) {
	if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) {
		return DSERR_INVALIDPARAM;
	}
	SoundPlacement next = apply == DS3D_DEFERRED ? buffer->PendingPlacement() : buffer->Placement();
	change(next);
	return buffer->SetPlacement(next, apply);
}

HRESULT Sound3DBuffer::GetPosition(D3DVECTOR* position) {
	if (position == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*position = buffer->Placement().position;
	return DS_OK;
}

HRESULT Sound3DBuffer::SetPosition(float x, float y, float z, DWORD apply) {
	return Update(apply, [&](SoundPlacement& next) { next.position = {x, y, z}; });
}

HRESULT Sound3DBuffer::GetMode(DWORD* mode) {
	if (mode == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*mode = buffer->Placement().mode;
	return DS_OK;
}

HRESULT Sound3DBuffer::SetMode(DWORD mode, DWORD apply) {
	return Update(apply, [&](SoundPlacement& next) { next.mode = mode; });
}

HRESULT Sound3DBuffer::GetMinDistance(float* distance) {
	if (distance == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*distance = buffer->Placement().minDistance;
	return DS_OK;
}

HRESULT Sound3DBuffer::SetMinDistance(float distance, DWORD apply) {
	return Update(apply, [&](SoundPlacement& next) { next.minDistance = distance; });
}

HRESULT Sound3DBuffer::GetMaxDistance(float* distance) {
	if (distance == nullptr) {
		return DSERR_INVALIDPARAM;
	}
	*distance = buffer->Placement().maxDistance;
	return DS_OK;
}

HRESULT Sound3DBuffer::SetMaxDistance(float distance, DWORD apply) {
	return Update(apply, [&](SoundPlacement& next) { next.maxDistance = distance; });
}
