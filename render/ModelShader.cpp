#include "render/ModelShader.h"

#include "app/GraphicsDevice.h"
#include "platform/gpu/GpuProgramBinding.h"
#include "render/EffectLoader.h"
#include "render/Model.h"

#include <algorithm>

const float ENEMY_OUTLINE_COLOR[4] = {0.7f, 0.0f, 0.0f, 1.0f};

namespace {

const char* const EFFECT_FILE = "Shader/Modelsahder.fx";
const char* const TOON_RAMP_FILE = "data/Texture/toon.png";
const char* const TOON_RAMP2_FILE = "data/Texture/toon2.png";
const char* const ENVIRONMENT_FILE = "data/Texture/ConcreteMap.dds";

D3DXVECTOR4 AsVector(const D3DCOLORVALUE& color) { return D3DXVECTOR4(color.r, color.g, color.b, color.a); }

// The outline technique's least width at a depth, per unit of depth.
constexpr float OUTLINE_WIDTH_PER_DEPTH = 0.0025f;

}  // namespace

void ModelShader::Init() {
	Release();
	effect = LoadEffectReportingErrors(EFFECT_FILE);
	toonRamp.LoadFromFile(TOON_RAMP_FILE, false);
	toonRamp2.LoadFromFile(TOON_RAMP2_FILE, false);
	if (whiteTexture.Create(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) {
		whiteTexture.Fill(0xFFFFFFFF, 0);
	}
	if (FAILED(D3DXCreateCubeTextureFromFileA(GraphicsDevice::Get().device, ENVIRONMENT_FILE, &environmentMap))) {
		environmentMap = nullptr;
	}
	if (effect != nullptr) {
		effect->SetTexture("ToonTex", toonRamp.texture);
		effect->SetTexture("CubeTex", environmentMap);
	}
}

void ModelShader::SetWorld(const D3DXMATRIX& partWorld) {
	world = partWorld;
	if (effect != nullptr) {
		effect->SetMatrix("mW", &world);
	}
}

void ModelShader::SetCullingView(const ViewFrustum* view) {
	cullingView.reset();
	if (view != nullptr) {
		cullingView.emplace(*view);
	}
}

bool ModelShader::OutsideView(const Model& model, std::optional<float> outlineSize) const {
	const Model::BoundingSphere& bounds = model.Bounds();
	if (!cullingView || bounds.radius < 0.0f) {
		return false;
	}
	D3DXVECTOR3 center = bounds.center;
	float radius = bounds.radius;
	ViewFrustum::PlaceSphere(world, center, radius);
	if (outlineSize) {
		// The outline pushes each vertex out by its size, or by 0.0025 of its
		// depth where that is more.
		radius += std::max(*outlineSize, OUTLINE_WIDTH_PER_DEPTH * (cullingView->Depth(center) + radius));
	}
	return cullingView->Excludes(center, radius);
}

void ModelShader::DrawModel(const Model& model) {
	EndBatch();
	if (effect == nullptr || OutsideView(model)) {
		return;
	}
	BeginTech();
	DrawSubsets(model);
	EndTech(effect);
}

void ModelShader::DrawBatched(const Model& model) {
	if (effect == nullptr) {
		EndBatch();
		return;
	}
	if (OutsideView(model)) {
		return;  // a batch under way stays begun for the next draw
	}
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (batchEffect == effect) {
		// The batch's own draws below must not end it.
		GpuSetPendingEnd(device, nullptr);
	} else {
		EndBatch();
		BeginTech();
		batchEffect = effect;
		batchEffect->AddRef();
	}
	DrawSubsets(model);
	GpuSetPendingEnd(device, [this] { EndBatch(); });
}

void ModelShader::EndBatch() {
	if (batchEffect == nullptr) {
		return;
	}
	ID3DXEffect* ending = batchEffect;
	batchEffect = nullptr;
	GpuSetPendingEnd(GraphicsDevice::Get().device, nullptr);
	EndTech(ending);
	ending->Release();
}

void ModelShader::BeginTech() {
	if (everyModelOpaque) {
		IDirect3DDevice9* device = GraphicsDevice::Get().device;
		device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blendBeforeTech);
		device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
		blendSuspended = true;
	}
	effect->SetTechnique("Tech");
	effect->Begin(nullptr, 0);
	effect->BeginPass(0);
}

void ModelShader::EndTech(ID3DXEffect* begun) {
	begun->EndPass();
	begun->End();
	if (blendSuspended) {
		blendSuspended = false;
		GraphicsDevice::Get().device->SetRenderState(D3DRS_ALPHABLENDENABLE, blendBeforeTech);
	}
}

void ModelShader::DrawSubsets(const Model& model) {
	for (int32_t i = 0; i < int32_t(model.materialCount); ++i) {
		IDirect3DTexture9* texture = model.TextureOf(uint32_t(i));
		effect->SetTexture("MateDiffuseTex", texture != nullptr ? texture : whiteTexture.texture);
		const D3DMATERIAL9& material = model.materials[size_t(i)];
		const D3DXVECTOR4 emissive = AsVector(material.Emissive);
		const D3DXVECTOR4 diffuse = AsVector(material.Diffuse);
		const D3DXVECTOR4 specular = AsVector(material.Specular);
		effect->SetVector("MateEmissive", &emissive);
		effect->SetVector("MateDiffuse", &diffuse);
		effect->SetVector("MateSpecular", &specular);
		effect->SetFloat("MateSpePower", material.Power);
		effect->CommitChanges();
		if (model.mesh != nullptr) {
			model.mesh->DrawSubset(DWORD(i));
		}
	}
}

void ModelShader::DrawDepth(const Model& model) {
	EndBatch();
	if (effect != nullptr && !OutsideView(model)) {
		DrawBareSubsets("DepthTech", model);
	}
}

void ModelShader::DrawOutline(const Model& model, float size, const float* color) {
	EndBatch();
	if (effect == nullptr || OutsideView(model, size)) {
		return;
	}
	const D3DXVECTOR4 outlineColor(color[0], color[1], color[2], color[3]);
	effect->SetFloat("OutlineSize", size);
	effect->SetVector("OutlineColor", &outlineColor);
	DrawBareSubsets("OutlineTech", model);
}

void ModelShader::DrawBareSubsets(const char* technique, const Model& model) {
	effect->SetTechnique(technique);
	effect->Begin(nullptr, 0);
	effect->BeginPass(0);
	for (int32_t i = 0; i < int32_t(model.materialCount); ++i) {
		if (model.mesh != nullptr) {
			model.mesh->DrawSubset(DWORD(i));
		}
	}
	effect->EndPass();
	effect->End();
}

void ModelShader::Release() {
	EndBatch();
	SafeRelease(environmentMap);
	SafeRelease(effect);
	toonRamp.Release();
	toonRamp2.Release();
	whiteTexture.Release();
}
