#include "particles/RenderBatch.h"

#include <algorithm>
#include <cstring>

namespace particles {

namespace {

IDirect3DTexture9* TextureOf(const TextureResource* texture, GpuResources& gpu) {
	const auto* gpuTexture = static_cast<const GpuTexture*>(texture);
	return gpuTexture != nullptr && gpuTexture->Texture() != nullptr ? gpuTexture->Texture() : gpu.WhiteTexture();
}

}  // namespace

D3DCOLOR PackColor(const D3DXCOLOR& color) {
	const auto channel = [](float value) { return static_cast<DWORD>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f); };
	return D3DCOLOR_ARGB(channel(color.a), channel(color.r), channel(color.g), channel(color.b));
}

RenderBatch::RenderBatch(int squareMaxCount) : squareBudget(static_cast<float>(std::max(0, squareMaxCount))) {
	D3DXMatrixIdentity(&view);
	D3DXMatrixIdentity(&projection);
}

void RenderBatch::SetCamera(const D3DXMATRIX& view_) {
	view = view_;
	cameraRight = D3DXVECTOR3(view._11, view._21, view._31);
	cameraUp = D3DXVECTOR3(view._12, view._22, view._32);
	cameraForward = D3DXVECTOR3(view._13, view._23, view._33);
	D3DXMATRIX inverse;
	if (D3DXMatrixInverse(&inverse, nullptr, &view) != nullptr) {
		cameraPosition = D3DXVECTOR3(inverse._41, inverse._42, inverse._43);
	}
}

void RenderBatch::Clear() {
	vertices.clear();
	pieces.clear();
	squaresUsed = 0.0f;
}

bool RenderBatch::BeginPiece(BlendMode blend, const TextureResource* texture, const D3DXVECTOR3& center,
                             float squares) {
	if (squaresUsed + squares > squareBudget) {
		return false;
	}
	squaresUsed += squares;
	const float depth = D3DXVec3Dot(&center, &cameraForward) + view._43;
	pieces.push_back(Piece{depth, blend, texture, static_cast<uint32_t>(vertices.size()), 0});
	return true;
}

void RenderBatch::AddTriangle(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c) {
	vertices.push_back(a);
	vertices.push_back(b);
	vertices.push_back(c);
	pieces.back().count += 3;
}

void RenderBatch::AddQuad(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c, const BatchVertex& d) {
	AddTriangle(a, b, c);
	AddTriangle(a, c, d);
}

int RenderBatch::Flush(GpuResources& gpu) {
	if (pieces.empty()) {
		return 0;
	}
	order.resize(pieces.size());
	for (uint32_t i = 0; i < order.size(); ++i) {
		order[i] = i;
	}
	// Alpha first and far to near; additive after, grouped by texture.
	std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
		const Piece& pa = pieces[a];
		const Piece& pb = pieces[b];
		if (pa.blend != pb.blend) {
			return pa.blend == BlendMode::Alpha;
		}
		if (pa.blend == BlendMode::Alpha) {
			return pa.depth > pb.depth;
		}
		return pa.texture < pb.texture;
	});

	ID3DXEffect* shader = gpu.Shader();
	IDirect3DDevice9* device = gpu.Device();
	D3DXMATRIX viewProjection = view * projection;
	int drawCalls = 0;
	size_t next = 0;
	while (next < order.size()) {
		const BlendMode blend = pieces[order[next]].blend;
		shader->SetTechnique(blend == BlendMode::Additive ? "Additive" : "Alpha");
		shader->SetMatrix("ViewProjection", &viewProjection);
		UINT passes = 0;
		shader->Begin(&passes, 0);
		shader->BeginPass(0);
		device->SetFVF(BATCH_VERTEX_FVF);
		device->SetStreamSource(0, gpu.VertexBuffer(), 0, sizeof(BatchVertex));
		while (next < order.size() && pieces[order[next]].blend == blend) {
			// One run: consecutive pieces with the same texture, as many as fit the buffer.
			const TextureResource* texture = pieces[order[next]].texture;
			sorted.clear();
			while (next < order.size() && pieces[order[next]].blend == blend &&
			       pieces[order[next]].texture == texture &&
			       sorted.size() + pieces[order[next]].count <= gpu.VertexCapacity()) {
				const Piece& piece = pieces[order[next]];
				sorted.insert(sorted.end(), vertices.begin() + piece.first, vertices.begin() + piece.first + piece.count);
				++next;
			}
			if (sorted.empty()) {
				++next;  // a piece larger than the whole buffer is dropped
				continue;
			}
			void* data = nullptr;
			const UINT bytes = static_cast<UINT>(sorted.size() * sizeof(BatchVertex));
			if (SUCCEEDED(gpu.VertexBuffer()->Lock(0, bytes, &data, D3DLOCK_DISCARD))) {
				std::memcpy(data, sorted.data(), bytes);
				gpu.VertexBuffer()->Unlock();
				shader->SetTexture("ParticleTexture", TextureOf(texture, gpu));
				shader->CommitChanges();
				device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(sorted.size() / 3));
				++drawCalls;
			}
		}
		shader->EndPass();
		shader->End();
	}
	Clear();
	return drawCalls;
}

}  // namespace particles
