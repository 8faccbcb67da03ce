#pragma once
// The geometry one renderer gathers between BeginRendering and EndRendering:
// world-space triangles in pieces (a sprite, a ring, a ribbon, a model),
// each with its blend mode, texture and depth. Flush orders the pieces
// (alpha back to front, then additive by texture), streams them into the
// shared vertex buffer and draws each run of equal state in one call.

#include "particles/EffectDefinition.h"
#include "particles/GpuResources.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace particles {

class RenderBatch {
public:
	explicit RenderBatch(int squareMaxCount);

	void SetCamera(const D3DXMATRIX& view);
	void SetProjection(const D3DXMATRIX& projection) { this->projection = projection; }
	const D3DXMATRIX& View() const { return view; }
	const D3DXMATRIX& Projection() const { return projection; }
	const D3DXVECTOR3& CameraRight() const { return cameraRight; }
	const D3DXVECTOR3& CameraUp() const { return cameraUp; }
	const D3DXVECTOR3& CameraForward() const { return cameraForward; }
	const D3DXVECTOR3& CameraPosition() const { return cameraPosition; }

	void Clear();
	// Starts a piece of `squares` quads' worth of triangles; false (and the
	// piece is dropped) once the renderer's square budget is spent.
	bool BeginPiece(BlendMode blend, const TextureResource* texture, const D3DXVECTOR3& center, float squares);
	void AddTriangle(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c);
	void AddQuad(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c, const BatchVertex& d);

	// Draws everything gathered; the number of draw calls it made.
	int Flush(GpuResources& gpu);

	size_t PieceCount() const { return pieces.size(); }
	float SquaresUsed() const { return squaresUsed; }

private:
	struct Piece {
		float depth;
		BlendMode blend;
		const TextureResource* texture;
		uint32_t first;
		uint32_t count;
	};

	float squareBudget;
	float squaresUsed = 0.0f;
	D3DXMATRIX view;
	D3DXMATRIX projection;
	D3DXVECTOR3 cameraRight{1, 0, 0};
	D3DXVECTOR3 cameraUp{0, 1, 0};
	D3DXVECTOR3 cameraForward{0, 0, 1};
	D3DXVECTOR3 cameraPosition;
	std::vector<BatchVertex> vertices;
	std::vector<Piece> pieces;
	std::vector<uint32_t> order;
	std::vector<BatchVertex> sorted;
};

D3DCOLOR PackColor(const D3DXCOLOR& color);

}  // namespace particles
