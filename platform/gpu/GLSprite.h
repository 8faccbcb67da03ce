#pragma once
// The D3DX sprite batcher: textured quads in screen pixels, collected until
// the texture changes, Flush or End, and drawn with the device's built-in
// program. Begin sets the states it draws with and End puts them back.

#include "platform/gpu/D3DX9Tex.h"
#include "platform/gpu/GLDeviceChild.h"

#include <vector>

class GLAlphaCoverage;

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
	// Quads queued so far, each piece of a sprite cut around its clear
	// cells counting once, for tests that check the cutting.
	UINT QuadCount() const { return quads; }

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

	// One Draw call's placement on screen.
	struct SpriteQuad {
		RECT source;
		D3DVECTOR origin;
		D3DVECTOR offset;
		D3DCOLOR color;
		float textureWidth;
		float textureHeight;
	};

	~GLSprite() override;

	// Two triangles showing the texels in piece, a part of quad.source.
	void AppendPiece(const SpriteQuad& quad, const RECT& piece);
	void AppendCoveredPieces(const SpriteQuad& quad, const GLAlphaCoverage& coverage);
	// The coverage to leave transparent cells out by, or null where that
	// could change the picture.
	const GLAlphaCoverage* CoverageToSkipBy(IDirect3DTexture9* texture, const RECT& source) const;

	void SaveAndSetStates(DWORD flags);
	void RestoreStates();
	void SetRenderStateSaved(D3DRENDERSTATETYPE state, DWORD value);

	bool begun = false;
	D3DMATRIX transform{};
	std::vector<Vertex> batch;
	IDirect3DTexture9* batchTexture = nullptr;  // one reference while quads are pending
	UINT drawCalls = 0;
	UINT quads = 0;

	std::vector<SavedRenderState> savedRenderStates;
	DWORD savedStage[7] = {};
	DWORD savedSampler[14] = {};
	IDirect3DBaseTexture9* savedTexture = nullptr;
	unsigned savedProgram = 0;
	DWORD savedFvf = 0;
};
