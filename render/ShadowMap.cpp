#include "render/ShadowMap.h"

#include "app/GraphicsDevice.h"
#include "render/EffectLoader.h"
#include "render/Model.h"

namespace {

const char* const EFFECT_FILE = "Shader/ShadowMap.fx";
// The light camera's orthographic box: 100 x 100 units across the light,
// 1 to 100 units along it.
constexpr float LIGHT_BOX_SIZE = 100.0f;
constexpr float LIGHT_NEAR = 1.0f;
constexpr float LIGHT_FAR = 100.0f;
// Cleared to the far plane: 1.0 in the one float channel.
constexpr D3DCOLOR CLEAR_DEPTH_COLOR = 0xFFFFFFFF;

}  // namespace

ShadowMap::ShadowMap() { D3DXMatrixIdentity(&lightViewProjection); }

void ShadowMap::Init() {
	SafeRelease(effect);
	effect = LoadEffectReportingErrors(EFFECT_FILE);
	if (effect == nullptr) {
		return;
	}
	shadowTexture.Create(SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT);
	depthSurface.Create(SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE);
}

void ShadowMap::Begin(const D3DXVECTOR3& eye) {
	GraphicsDevice& graphics = GraphicsDevice::Get();
	D3DLIGHT9 light{};
	graphics.GetLight(&light, 0);
	const D3DXVECTOR3 direction(light.Direction);
	const D3DXVECTOR3 at = eye + direction;
	const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
	D3DXMATRIX view;
	D3DXMATRIX projection;
	D3DXMatrixLookAtLH(&view, &eye, &at, &up);
	D3DXMatrixOrthoLH(&projection, LIGHT_BOX_SIZE, LIGHT_BOX_SIZE, LIGHT_NEAR, LIGHT_FAR);
	lightViewProjection = view * projection;
	lightView.emplace(view, projection);
	if (!IsReady() || savedRenderTarget != nullptr) {
		return;
	}
	effect->SetMatrix("mLV", &view);
	effect->SetMatrix("mLP", &projection);

	IDirect3DDevice9* device = graphics.device;
	device->GetRenderTarget(0, &savedRenderTarget);
	device->GetDepthStencilSurface(&savedDepthSurface);
	shadowTexture.SetAsRenderTarget(0);
	depthSurface.Bind();
	device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_DEPTH_COLOR, 1.0f, 0);
}

void ShadowMap::SetWorld(const D3DXMATRIX& casterWorld) {
	world = casterWorld;
	if (effect != nullptr) {
		effect->SetMatrix("mW", &world);
	}
}

bool ShadowMap::OutsideLightBox(const Model& model) const {
	D3DXVECTOR3 center = model.Bounds().center;
	float radius = model.Bounds().radius;
	if (!lightView || radius < 0.0f) {
		return false;
	}
	ViewFrustum::PlaceSphere(world, center, radius);
	return lightView->Excludes(center, radius);
}

void ShadowMap::DrawModel(const Model& model) {
	// Outside Begin and End the caster would land in the scene itself.
	// A caster beyond the light's box leaves no depth in the map.
	if (savedRenderTarget == nullptr || OutsideLightBox(model)) {
		return;
	}
	effect->SetTechnique("Tech");
	effect->Begin(nullptr, 0);
	effect->BeginPass(0);
	for (int32_t i = 0; i < int32_t(model.materialCount); ++i) {
		effect->SetTexture("MeshTex", model.TextureOf(uint32_t(i)));
		effect->CommitChanges();
		if (model.mesh != nullptr) {
			model.mesh->DrawSubset(DWORD(i));
		}
	}
	effect->EndPass();
	effect->End();
}

void ShadowMap::End() {
	if (savedRenderTarget == nullptr) {
		return;
	}
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	device->SetRenderTarget(0, savedRenderTarget);
	device->SetDepthStencilSurface(savedDepthSurface);
	SafeRelease(savedRenderTarget);
	SafeRelease(savedDepthSurface);
}

void ShadowMap::Release() {
	SafeRelease(savedRenderTarget);
	SafeRelease(savedDepthSurface);
	SafeRelease(effect);
	depthSurface.Release();
	shadowTexture.Release();
}
