#include "app/GraphicsDevice.h"

#include "app/Texture.h"
#include "platform/system/Win32.h"

#include <cstring>

namespace {

DWORD FloatBits(float value) {
	DWORD bits;
	std::memcpy(&bits, &value, sizeof bits);
	return bits;
}

D3DCOLORVALUE ColorValue(const D3DXCOLOR& color) { return D3DCOLORVALUE{color.r, color.g, color.b, color.a}; }

}  // namespace

GraphicsDevice& GraphicsDevice::Get() {
	static GraphicsDevice instance;
	return instance;
}

GraphicsDevice::~GraphicsDevice() { Release(); }

bool GraphicsDevice::Init(HWND window, int width, int height, D3DFORMAT backBufferFormat, bool fullScreen) {
	// A second Init would otherwise leak the first device.
	Release();
	direct3D = Direct3DCreate9(D3D_SDK_VERSION);
	if (direct3D == nullptr) {
		return false;
	}
	D3DDISPLAYMODE displayMode{};
	if (FAILED(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode))) {
		return false;
	}

	presentParameters = D3DPRESENT_PARAMETERS{};
	presentParameters.BackBufferCount = 2;
	if (fullScreen) {
		presentParameters.BackBufferWidth = UINT(width);
		presentParameters.BackBufferHeight = UINT(height);
		presentParameters.BackBufferFormat = backBufferFormat;
		presentParameters.Windowed = FALSE;
	} else {
		// Zero asks for the window's client size.
		presentParameters.BackBufferWidth = 0;
		presentParameters.BackBufferHeight = 0;
		presentParameters.BackBufferFormat = displayMode.Format;
		presentParameters.Windowed = TRUE;
	}
	presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
	presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
	presentParameters.hDeviceWindow = window;
	presentParameters.EnableAutoDepthStencil = TRUE;
	presentParameters.AutoDepthStencilFormat = D3DFMT_D24S8;
	presentParameters.Flags = 0;
	presentParameters.FullScreen_RefreshRateInHz = 0;
	presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

	// Hardware first, then hardware without hardware vertex processing, then
	// the reference rasterizer.
	struct Attempt {
		D3DDEVTYPE type;
		DWORD flags;
	};
	constexpr DWORD shared = D3DCREATE_MULTITHREADED | D3DCREATE_FPU_PRESERVE;
	const Attempt attempts[] = {
		{D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING | shared},
		{D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING | shared},
		{D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING | shared},
	};
	for (const Attempt& attempt : attempts) {
		if (SUCCEEDED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, window, attempt.flags,
		                                     &presentParameters, &device))) {
			break;
		}
		device = nullptr;
	}
	if (device == nullptr) {
		MessageBoxA(window, "Direct3Dの初期化に失敗", "Direct3D初期化", MB_OK | MB_ICONERROR);
		return false;
	}

	D3DXCreateSprite(device, &sprite);
	device->GetRenderTarget(0, &backBuffer);
	return true;
}

void GraphicsDevice::SetDefaultStates() {
	if (device == nullptr) {
		return;
	}
	device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
	device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
	device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
	device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
	device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
	device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
	device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
	device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
	device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
	device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
	device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
	device->SetRenderState(D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD);
	device->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
	device->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);

	device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
	device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
	device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
	device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
	device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
	device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);

	device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
	device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
	device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
	device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
	device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
	device->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, FloatBits(-1.0f));

	SetDirectionalLight(0, D3DXVECTOR3(0.5f, -1.0f, 0.3f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f),
	                    D3DXCOLOR(0.0f, 0.0f, 0.0f, 1.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f));

	device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
	device->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

void GraphicsDevice::Release() {
	SafeRelease(backBuffer);
	SafeRelease(sprite);
	SafeRelease(device);
	SafeRelease(direct3D);
}

void GraphicsDevice::SetDirectionalLight(DWORD index, const D3DXVECTOR3& direction, const D3DXCOLOR& diffuse,
                                         const D3DXCOLOR& ambient, const D3DXCOLOR& specular) {
	if (device == nullptr) {
		return;
	}
	D3DLIGHT9 light{};
	light.Type = D3DLIGHT_DIRECTIONAL;
	light.Diffuse = ColorValue(diffuse);
	light.Ambient = ColorValue(ambient);
	light.Specular = ColorValue(specular);
	D3DXVECTOR3 normalized;
	D3DXVec3Normalize(&normalized, &direction);
	light.Direction = normalized;
	device->SetLight(index, &light);
	device->LightEnable(index, TRUE);
}

D3DLIGHT9* GraphicsDevice::GetLight(D3DLIGHT9* out, DWORD index) const {
	if (device != nullptr && out != nullptr) {
		device->GetLight(index, out);
	}
	return out;
}

void GraphicsDevice::DrawSprite(const Texture* texture, D3DCOLOR color, const D3DXMATRIX* transform) {
	if (texture == nullptr || texture->texture == nullptr || sprite == nullptr) {
		return;
	}
	if (transform != nullptr) {
		sprite->SetTransform(transform);
	}
	sprite->Draw(texture->texture, &texture->sourceRect, nullptr, nullptr, color);
}

void GraphicsDevice::DrawSpriteCentered(const Texture* texture, D3DCOLOR color, const D3DXMATRIX* transform,
                                        const D3DXVECTOR3& center) {
	if (texture == nullptr || texture->texture == nullptr || sprite == nullptr) {
		return;
	}
	if (transform != nullptr) {
		sprite->SetTransform(transform);
	}
	sprite->Draw(texture->texture, &texture->sourceRect, &center, nullptr, color);
}

void GraphicsDevice::DrawSpriteStretched(const Texture* texture, int x, int y, int width, int height,
                                         D3DCOLOR color) {
	if (texture == nullptr || texture->texture == nullptr || sprite == nullptr || texture->imageInfo.Width == 0 ||
	    texture->imageInfo.Height == 0) {
		return;
	}
	D3DXMATRIX transform;
	D3DXMatrixScaling(&transform, float(width) / float(texture->imageInfo.Width),
	                  float(height) / float(texture->imageInfo.Height), 0.0f);
	transform._41 += float(x);
	transform._42 += float(y);
	sprite->SetTransform(&transform);
	sprite->Draw(texture->texture, &texture->sourceRect, nullptr, nullptr, color);
}

void GraphicsDevice::DrawScreenQuad(float x, float y, float width, float height, float uMax, float vMax) {
	if (device == nullptr) {
		return;
	}
	struct ScreenVertex {
		float x, y, z, rhw;
		float u, v;
	};
	const ScreenVertex vertices[4] = {
		{x, y, 0.0f, 1.0f, 0.0f, 0.0f},
		{x + width, y, 0.0f, 1.0f, uMax, 0.0f},
		{x, y + height, 0.0f, 1.0f, 0.0f, vMax},
		{x + width, y + height, 0.0f, 1.0f, uMax, vMax},
	};
	device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
	device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(ScreenVertex));
}

D3DXMATRIX* GraphicsDevice::SetIdentity(D3DXMATRIX* matrix) { return D3DXMatrixIdentity(matrix); }
