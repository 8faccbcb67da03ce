#include "render/BlurFilter.h"

#include "app/GraphicsDevice.h"
#include "render/EffectLoader.h"

namespace {

const char* const EFFECT_FILE = "Shader/Blur.fx";
const float UNIT_COLOR[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

void BlurFilter::Init() {
	Release();
	effect = LoadEffectReportingErrors(EFFECT_FILE);
	const D3DPRESENT_PARAMETERS& present = GraphicsDevice::Get().presentParameters;
	const UINT width = present.BackBufferWidth / 2;
	const UINT height = present.BackBufferHeight / 2;
	scratchTarget.Create(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT);
	resultTarget.Create(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8B8G8R8, D3DPOOL_DEFAULT);
}

void BlurFilter::DrawPass(D3DXHANDLE technique, const Texture& input, int x, int y, int width, int height) {
	// An empty input has no texel size to blur by.
	if (input.IsEmpty() || input.imageInfo.Width == 0 || input.imageInfo.Height == 0) {
		return;
	}
	const D3DXVECTOR4 texelSize(1.0f / float(input.imageInfo.Width), 1.0f / float(input.imageInfo.Height), 0.0f,
	                            0.0f);
	effect->SetVector("TexelSize", &texelSize);
	effect->SetTexture("InputTex", input.texture);
	effect->SetTechnique(technique);
	effect->Begin(nullptr, 0);
	effect->BeginPass(0);
	GraphicsDevice::Get().DrawScreenQuad(float(x), float(y), float(width), float(height), 1.0f, 1.0f);
	effect->EndPass();
	effect->End();
}

void BlurFilter::DrawNormal(const Texture& input, int x, int y, int width, int height, const float* color) {
	if (effect == nullptr) {
		return;
	}
	const D3DXVECTOR4 factor(color[0], color[1], color[2], color[3]);
	effect->SetVector("Color", &factor);
	DrawPass("NormalTech", input, x, y, width, height);
}

void BlurFilter::DrawBlurX(const Texture& input, int x, int y, int width, int height) {
	if (effect != nullptr) {
		DrawPass("XBlurTech", input, x, y, width, height);
	}
}

void BlurFilter::DrawBlurY(const Texture& input, int x, int y, int width, int height) {
	if (effect != nullptr) {
		DrawPass("YBlurTech", input, x, y, width, height);
	}
}

void BlurFilter::Blur(const Texture& input) {
	if (effect == nullptr || input.IsEmpty() || scratchTarget.IsEmpty() || resultTarget.IsEmpty()) {
		return;
	}
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
	device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
	device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

	IDirect3DSurface9* saved = nullptr;
	device->GetRenderTarget(0, &saved);
	const int resultWidth = int(resultTarget.imageInfo.Width);
	const int resultHeight = int(resultTarget.imageInfo.Height);
	const int scratchWidth = int(scratchTarget.imageInfo.Width);
	const int scratchHeight = int(scratchTarget.imageInfo.Height);

	// The downsample's colour has alpha 1, so the blend would put every pixel
	// down unchanged; without it the rasterizer need not read the target.
	DWORD blending = TRUE;
	device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
	device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
	resultTarget.SetAsRenderTarget(0);
	DrawNormal(input, 0, 0, resultWidth, resultHeight, UNIT_COLOR);
	device->SetRenderState(D3DRS_ALPHABLENDENABLE, blending);
	for (int i = 0; i < BLUR_PASS_PAIRS; ++i) {
		scratchTarget.SetAsRenderTarget(0);
		DrawBlurX(resultTarget, 0, 0, scratchWidth, scratchHeight);
		resultTarget.SetAsRenderTarget(0);
		DrawBlurY(scratchTarget, 0, 0, resultWidth, resultHeight);
	}
	if (saved != nullptr) {
		device->SetRenderTarget(0, saved);
		saved->Release();
	}
}

void BlurFilter::Release() {
	SafeRelease(effect);
	scratchTarget.Release();
	resultTarget.Release();
}
