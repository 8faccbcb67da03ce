#pragma once
// The moving objects drawn from the light into a 1024x1024 float depth
// texture, with an orthographic light camera around the player.

#include "app/DepthSurface.h"
#include "app/Texture.h"
#include "platform/fx/D3DX9Effect.h"
#include "render/ViewFrustum.h"

#include <optional>

class Model;

constexpr UINT SHADOW_MAP_SIZE = 1024;

class ShadowMap {
public:
	ShadowMap();
	ShadowMap(const ShadowMap&) = delete;
	ShadowMap& operator=(const ShadowMap&) = delete;
	~ShadowMap() { Release(); }

	// Compiles the effect; only then are the target and depth surface made.
	void Init();
	// Saves render target 0 and the depth surface and binds the shadow
	// target; eye is the light camera's position.
	void Begin(const D3DXVECTOR3& eye);
	// Sets the caster's "mW"; harmless without an effect.
	void SetWorld(const D3DXMATRIX& world);
	// Every subset into the shadow map, placed by the last SetWorld; a caster
	// wholly outside the light's box is left out, as it leaves no depth there.
	void DrawModel(const Model& model);
	// Restores what Begin saved, dropping the saved references.
	void End();
	void Release();

	// False when the effect or the target is missing: nothing is drawn.
	bool IsReady() const { return effect != nullptr && !shadowTexture.IsEmpty() && depthSurface.surface != nullptr; }

	ID3DXEffect* effect = nullptr;
	Texture shadowTexture;
	DepthSurface depthSurface;
	D3DXMATRIX lightViewProjection;
	IDirect3DSurface9* savedRenderTarget = nullptr;
	IDirect3DSurface9* savedDepthSurface = nullptr;

private:
	bool OutsideLightBox(const Model& model) const;

	std::optional<ViewFrustum> lightView;  // the box of the last Begin
	D3DXMATRIX world{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // as last set
};
