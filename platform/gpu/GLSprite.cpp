#include "platform/gpu/GLSprite.h"

#include <algorithm>
#include <new>

namespace {

constexpr DWORD SPRITE_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

constexpr D3DTEXTURESTAGESTATETYPE SPRITE_STAGE_STATES[] = {
	D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2,
};

constexpr D3DSAMPLERSTATETYPE SPRITE_SAMPLER_STATES[] = {
	D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER, D3DSAMP_MIPMAPLODBIAS,
};

}  // namespace

GLSprite::GLSprite(GLDevice& owner) : GLDeviceChild(owner) {
	transform._11 = transform._22 = transform._33 = transform._44 = 1.0f;
}

GLSprite::~GLSprite() {
	if (begun) {
		End();
	}
	SafeRelease(batchTexture);
}

HRESULT GLSprite::Begin(DWORD flags) {
	if (begun) {
		return D3DERR_INVALIDCALL;
	}
	begun = true;
	SaveAndSetStates(flags);
	return S_OK;
}

HRESULT GLSprite::SetTransform(const D3DXMATRIX* newTransform) {
	if (newTransform == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	transform = *newTransform;
	return S_OK;
}

HRESULT GLSprite::GetTransform(D3DXMATRIX* out) {
	if (out == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	static_cast<D3DMATRIX&>(*out) = transform;
	return S_OK;
}

HRESULT GLSprite::Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                       const D3DXVECTOR3* position, D3DCOLOR color) {
	D3DSURFACE_DESC desc{};
	if (!begun || texture == nullptr || FAILED(texture->GetLevelDesc(0, &desc))) {
		return D3DERR_INVALIDCALL;
	}
	if (texture != batchTexture) {
		Flush();
		batchTexture = texture;
		batchTexture->AddRef();
	}
	const RECT source = sourceRect != nullptr ? *sourceRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
	const float width = float(source.right - source.left);
	const float height = float(source.bottom - source.top);
	const D3DVECTOR origin = center != nullptr ? D3DVECTOR(*center) : D3DVECTOR{0, 0, 0};
	const D3DVECTOR offset = position != nullptr ? D3DVECTOR(*position) : D3DVECTOR{0, 0, 0};

	// Corners in the order top-left, top-right, bottom-left, bottom-right.
	static constexpr float CORNER_X[4] = {0, 1, 0, 1};
	static constexpr float CORNER_Y[4] = {0, 0, 1, 1};
	Vertex corners[4];
	for (int i = 0; i < 4; ++i) {
		const float x = CORNER_X[i] * width - origin.x + offset.x;
		const float y = CORNER_Y[i] * height - origin.y + offset.y;
		const float z = offset.z - origin.z;
		// Row vector times the transform.
		float tx = x * transform._11 + y * transform._21 + z * transform._31 + transform._41;
		float ty = x * transform._12 + y * transform._22 + z * transform._32 + transform._42;
		float tz = x * transform._13 + y * transform._23 + z * transform._33 + transform._43;
		const float tw = x * transform._14 + y * transform._24 + z * transform._34 + transform._44;
		if (tw != 0.0f && tw != 1.0f) {
			tx /= tw;
			ty /= tw;
			tz /= tw;
		}
		corners[i].x = tx;
		corners[i].y = ty;
		corners[i].z = std::clamp(tz, 0.0f, 1.0f);
		corners[i].rhw = 1.0f;
		corners[i].color = color;
		corners[i].u = (float(source.left) + CORNER_X[i] * width) / float(desc.Width);
		corners[i].v = (float(source.top) + CORNER_Y[i] * height) / float(desc.Height);
	}
	const Vertex quad[6] = {corners[0], corners[1], corners[2], corners[2], corners[1], corners[3]};
	batch.insert(batch.end(), std::begin(quad), std::end(quad));
	return S_OK;
}

HRESULT GLSprite::Flush() {
	if (!begun) {
		return D3DERR_INVALIDCALL;
	}
	if (batch.empty() || batchTexture == nullptr) {
		return S_OK;
	}
	GLDevice& device = Device();
	const unsigned program = device.CurrentProgram();
	device.UseProgram(0);
	device.SetTexture(0, batchTexture);
	device.SetFVF(SPRITE_FVF);
	const HRESULT result =
	    device.DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(batch.size() / 3), batch.data(), sizeof(Vertex));
	device.UseProgram(program);
	++drawCalls;
	batch.clear();
	SafeRelease(batchTexture);
	return result;
}

HRESULT GLSprite::End() {
	if (!begun) {
		return D3DERR_INVALIDCALL;
	}
	const HRESULT result = Flush();
	RestoreStates();
	begun = false;
	return result;
}

void GLSprite::SetRenderStateSaved(D3DRENDERSTATETYPE state, DWORD value) {
	GLDevice& device = Device();
	DWORD previous = 0;
	device.GetRenderState(state, &previous);
	savedRenderStates.push_back({state, previous});
	device.SetRenderState(state, value);
}

void GLSprite::SaveAndSetStates(DWORD flags) {
	GLDevice& device = Device();
	savedRenderStates.clear();
	const bool blend = (flags & D3DXSPRITE_ALPHABLEND) != 0;
	SetRenderStateSaved(D3DRS_ALPHABLENDENABLE, blend ? TRUE : FALSE);
	if (blend) {
		SetRenderStateSaved(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
		SetRenderStateSaved(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
		SetRenderStateSaved(D3DRS_BLENDOP, D3DBLENDOP_ADD);
		// Fully transparent texels leave the target alone.
		SetRenderStateSaved(D3DRS_ALPHATESTENABLE, TRUE);
		SetRenderStateSaved(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
		SetRenderStateSaved(D3DRS_ALPHAREF, 0);
	} else {
		SetRenderStateSaved(D3DRS_ALPHATESTENABLE, FALSE);
	}
	SetRenderStateSaved(D3DRS_CULLMODE, D3DCULL_NONE);
	SetRenderStateSaved(D3DRS_ZENABLE, D3DZB_FALSE);
	SetRenderStateSaved(D3DRS_FILLMODE, D3DFILL_SOLID);
	SetRenderStateSaved(D3DRS_COLORWRITEENABLE, 0xF);

	for (size_t i = 0; i < std::size(SPRITE_STAGE_STATES); ++i) {
		device.GetTextureStageState(0, SPRITE_STAGE_STATES[i], &savedStage[i]);
	}
	device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
	device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
	device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
	device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
	device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
	device.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

	for (size_t i = 0; i < std::size(SPRITE_SAMPLER_STATES); ++i) {
		device.GetSamplerState(0, SPRITE_SAMPLER_STATES[i], &savedSampler[i]);
	}
	device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
	device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
	device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
	device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
	device.SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
	device.SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, 0);

	savedTexture = device.Texture(0);
	if (savedTexture != nullptr) {
		savedTexture->AddRef();
	}
	savedProgram = device.CurrentProgram();
	savedFvf = device.Fvf();
}

void GLSprite::RestoreStates() {
	GLDevice& device = Device();
	for (auto saved = savedRenderStates.rbegin(); saved != savedRenderStates.rend(); ++saved) {
		device.SetRenderState(saved->state, saved->value);
	}
	savedRenderStates.clear();
	for (size_t i = 0; i < std::size(SPRITE_STAGE_STATES); ++i) {
		device.SetTextureStageState(0, SPRITE_STAGE_STATES[i], savedStage[i]);
	}
	for (size_t i = 0; i < std::size(SPRITE_SAMPLER_STATES); ++i) {
		device.SetSamplerState(0, SPRITE_SAMPLER_STATES[i], savedSampler[i]);
	}
	device.SetTexture(0, savedTexture);
	SafeRelease(savedTexture);
	device.UseProgram(savedProgram);
	device.SetFVF(savedFvf);
}

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
	GLDevice* platformDevice = device != nullptr ? dynamic_cast<GLDevice*>(device) : nullptr;
	if (platformDevice == nullptr || sprite == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*sprite = new (std::nothrow) GLSprite(*platformDevice);
	return *sprite != nullptr ? S_OK : E_OUTOFMEMORY;
}
