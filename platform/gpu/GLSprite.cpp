#include "platform/gpu/GLSprite.h"

#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GLTexture.h"

#include <algorithm>
#include <cmath>
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
	SpriteQuad quad;
	quad.source = sourceRect != nullptr ? *sourceRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
	quad.origin = center != nullptr ? D3DVECTOR(*center) : D3DVECTOR{0, 0, 0};
	quad.offset = position != nullptr ? D3DVECTOR(*position) : D3DVECTOR{0, 0, 0};
	quad.color = color;
	quad.textureWidth = float(desc.Width);
	quad.textureHeight = float(desc.Height);
	if (const GLAlphaCoverage* coverage = CoverageToSkipBy(texture, quad.source)) {
		AppendCoveredPieces(quad, *coverage);
	} else {
		AppendPiece(quad, quad.source);
	}
	return S_OK;
}

void GLSprite::AppendPiece(const SpriteQuad& quad, const RECT& piece) {
	// Corners in the order top-left, top-right, bottom-left, bottom-right.
	const LONG cornerX[4] = {piece.left, piece.right, piece.left, piece.right};
	const LONG cornerY[4] = {piece.top, piece.top, piece.bottom, piece.bottom};
	Vertex corners[4];
	for (int i = 0; i < 4; ++i) {
		const float x = float(cornerX[i] - quad.source.left) - quad.origin.x + quad.offset.x;
		const float y = float(cornerY[i] - quad.source.top) - quad.origin.y + quad.offset.y;
		const float z = quad.offset.z - quad.origin.z;
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
		corners[i].color = quad.color;
		corners[i].u = float(cornerX[i]) / quad.textureWidth;
		corners[i].v = float(cornerY[i]) / quad.textureHeight;
	}
	const Vertex triangles[6] = {corners[0], corners[1], corners[2], corners[2], corners[1], corners[3]};
	batch.insert(batch.end(), std::begin(triangles), std::end(triangles));
	++quads;
}

// Each row of cells becomes one piece per run of covered cells, cut to the
// source rectangle.
void GLSprite::AppendCoveredPieces(const SpriteQuad& quad, const GLAlphaCoverage& coverage) {
	const LONG cell = LONG(GLAlphaCoverage::CELL_SIZE);
	const RECT& source = quad.source;
	for (LONG cellY = source.top / cell; cellY * cell < source.bottom; ++cellY) {
		const LONG top = std::max(source.top, cellY * cell);
		const LONG bottom = std::min(source.bottom, (cellY + 1) * cell);
		LONG cellX = source.left / cell;
		while (cellX * cell < source.right) {
			if (!coverage.Covered(UINT(cellX), UINT(cellY))) {
				++cellX;
				continue;
			}
			const LONG runStart = cellX;
			while (cellX * cell < source.right && coverage.Covered(UINT(cellX), UINT(cellY))) {
				++cellX;
			}
			const LONG left = std::max(source.left, runStart * cell);
			const LONG right = std::min(source.right, cellX * cell);
			AppendPiece(quad, RECT{left, top, right, bottom});
		}
	}
}

// A fully transparent texel fails the alpha test the sprite draws with, so
// leaving out cells that hold none, within the filter's reach, changes no
// pixel. That holds while texels keep their place on screen (no rotation or
// perspective), only the top level is sampled (nothing shrinks through the
// mipmaps) and the edges clamp rather than wrap.
const GLAlphaCoverage* GLSprite::CoverageToSkipBy(IDirect3DTexture9* texture, const RECT& source) const {
	const GLTexture* platformTexture = dynamic_cast<const GLTexture*>(texture);
	if (platformTexture == nullptr || !platformTexture->Storage().AlphaCoverage().Known() ||
	    source.left < 0 || source.top < 0 || source.right <= source.left || source.bottom <= source.top) {
		return nullptr;
	}
	const bool axisAligned = transform._12 == 0.0f && transform._21 == 0.0f && transform._14 == 0.0f &&
	                         transform._24 == 0.0f && transform._34 == 0.0f && transform._44 == 1.0f;
	const bool topLevelOnly = platformTexture->Storage().Levels() == 1 ||
	                          (std::fabs(transform._11) >= 1.0f && std::fabs(transform._22) >= 1.0f);
	if (!axisAligned || !topLevelOnly) {
		return nullptr;
	}
	GLDevice& device = Device();
	DWORD alphaTest = FALSE, alphaFunction = 0, alphaOperation = 0, alphaArgument = 0, addressU = 0, addressV = 0;
	device.GetRenderState(D3DRS_ALPHATESTENABLE, &alphaTest);
	device.GetRenderState(D3DRS_ALPHAFUNC, &alphaFunction);
	device.GetTextureStageState(0, D3DTSS_ALPHAOP, &alphaOperation);
	device.GetTextureStageState(0, D3DTSS_ALPHAARG1, &alphaArgument);
	device.GetSamplerState(0, D3DSAMP_ADDRESSU, &addressU);
	device.GetSamplerState(0, D3DSAMP_ADDRESSV, &addressV);
	const bool transparentFails = alphaTest == TRUE && alphaFunction == D3DCMP_GREATER &&
	                              alphaOperation == D3DTOP_MODULATE && alphaArgument == D3DTA_TEXTURE;
	const bool clamped = addressU == D3DTADDRESS_CLAMP && addressV == D3DTADDRESS_CLAMP;
	return transparentFails && clamped ? &platformTexture->Storage().AlphaCoverage() : nullptr;
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
