#pragma once
// Which cells of a texture's top level hold a texel that is not fully
// transparent. Alpha-tested sprites leave the empty cells out of their quads:
// a HUD frame over the whole screen then costs the rasterizer only its frame.

#include "platform/gpu/D3D9.h"

#include <cstdint>
#include <vector>

class GLAlphaCoverage {
public:
	static constexpr UINT CELL_SIZE = 16;

	// Unknown coverage: every cell counts as covered.
	void Clear();
	// From 4-byte texels whose alpha is byte alphaOffset of each. A cell also
	// counts as covered when a texel within one texel of it is, since
	// bilinear filtering reaches that far.
	void Build(const uint8_t* texels, UINT width, UINT height, UINT rowPitch, UINT alphaOffset);

	bool Known() const { return !cells.empty(); }
	UINT CellsAcross() const { return cellsAcross; }
	UINT CellsDown() const { return cellsDown; }
	bool Covered(UINT cellX, UINT cellY) const;

private:
	UINT cellsAcross = 0;
	UINT cellsDown = 0;
	std::vector<uint8_t> cells;  // one per cell, row by row; empty when unknown
};
