#pragma once
// The D3DX sprite batcher: textured quads in screen pixels, collected until
// the texture changes, Flush or End, and drawn with the device's built-in
// program. Begin sets the states it draws with and End puts them back.

#include "platform/gpu/D3DX9Tex.h"
#include "platform/gpu/GLDeviceChild.h"

#include <vector>

class GLSprite final : public GLDeviceChild<ID3DXSprite> {
public:
	explicit GLSprite(GLDevice& device);

	HRESULT Begin(DWORD flags) override;
	HRESULT SetTransform(const D3DXMATRIX* transform) override;
	HRESULT GetTransform(D3DXMATRIX* transform) override;
	HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
	             const D3DXVECTOR3* position, D3DCOLOR color) override;
	HRESULT Flush() override;
	HRESULT End() override;

	// Quads drawn so far by Flush, for tests that check batching.
	UINT DrawCallCount() const { return drawCalls; }

private:
	struct Vertex {
		float x, y, z, rhw;
		D3DCOLOR color;
		float u, v;
	};

	struct SavedRenderState {
		D3DRENDERSTATETYPE state;
		DWORD value;
	};

	~GLSprite() override;

	void SaveAndSetStates(DWORD flags);
	void RestoreStates();
	void SetRenderStateSaved(D3DRENDERSTATETYPE state, DWORD value);

	bool begun = false;
	D3DMATRIX transform{};
	std::vector<Vertex> batch;
	IDirect3DTexture9* batchTexture = nullptr;  // one reference while quads are pending
	UINT drawCalls = 0;

	std::vector<SavedRenderState> savedRenderStates;
	DWORD savedStage[7] = {};
	DWORD savedSampler[14] = {};
	IDirect3DBaseTexture9* savedTexture = nullptr;
	unsigned savedProgram = 0;
	DWORD savedFvf = 0;
};
