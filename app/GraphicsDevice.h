#pragma once
// The process-wide wrapper of the Direct3D device: creation for the main
// window, the states every scene starts from, the directional light set-up
// and the helpers the 2D layers are drawn with.

#include "platform/gpu/D3DX9Tex.h"

class Texture;

class GraphicsDevice {
public:
	static GraphicsDevice& Get();

	GraphicsDevice() = default;
	GraphicsDevice(const GraphicsDevice&) = delete;
	GraphicsDevice& operator=(const GraphicsDevice&) = delete;
	~GraphicsDevice();

	// Creates the Direct3D object, the device and the sprite; false (after an
	// error box when no device type works) on failure.
	bool Init(HWND window, int width, int height, D3DFORMAT backBufferFormat, bool fullScreen);
	void SetDefaultStates();
	void Release();

	void SetDirectionalLight(DWORD index, const D3DXVECTOR3& direction, const D3DXCOLOR& diffuse,
	                         const D3DXCOLOR& ambient, const D3DXCOLOR& specular);
	D3DLIGHT9* GetLight(D3DLIGHT9* out, DWORD index) const;

	// The sprite helpers draw a texture's sourceRect inside Begin/End of
	// `sprite`; they return at once for a missing or empty texture. Without a
	// transform the sprite's previous one stays in force.
	void DrawSprite(const Texture* texture, D3DCOLOR color, const D3DXMATRIX* transform = nullptr);
	void DrawSpriteCentered(const Texture* texture, D3DCOLOR color, const D3DXMATRIX* transform,
	                        const D3DXVECTOR3& center);
	void DrawSpriteStretched(const Texture* texture, int x, int y, int width, int height, D3DCOLOR color);
	// A pre-transformed textured quad with whatever texture and effect are bound.
	void DrawScreenQuad(float x, float y, float width, float height, float uMax, float vMax);

	static D3DXMATRIX* SetIdentity(D3DXMATRIX* matrix);

	IDirect3D9* direct3D = nullptr;
	IDirect3DDevice9* device = nullptr;
	D3DPRESENT_PARAMETERS presentParameters{};
	ID3DXSprite* sprite = nullptr;
	IDirect3DSurface9* backBuffer = nullptr;
};
