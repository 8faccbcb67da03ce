#include "platform/gpu/GLAlphaCoverage.h"

#include <algorithm>

void GLAlphaCoverage::Clear() {
	cells.clear();
	cellsAcross = 0;
	cellsDown = 0;
}

void GLAlphaCoverage::Build(const uint8_t* texels, UINT width, UINT height, UINT rowPitch, UINT alphaOffset) {
	Clear();
	if (texels == nullptr || width == 0 || height == 0 || alphaOffset > 3 || rowPitch < width * 4) {
		return;
	}
	cellsAcross = (width + CELL_SIZE - 1) / CELL_SIZE;
	cellsDown = (height + CELL_SIZE - 1) / CELL_SIZE;
	cells.assign(size_t(cellsAcross) * cellsDown, 0);
	for (UINT y = 0; y < height; ++y) {
		const uint8_t* row = texels + size_t(y) * rowPitch + alphaOffset;
		const UINT firstCellY = y > 0 ? (y - 1) / CELL_SIZE : 0;
		const UINT lastCellY = std::min(y + 1, height - 1) / CELL_SIZE;
		for (UINT x = 0; x < width; ++x) {
			if (row[size_t(x) * 4] == 0) {
				continue;
			}
			const UINT firstCellX = x > 0 ? (x - 1) / CELL_SIZE : 0;
			const UINT lastCellX = std::min(x + 1, width - 1) / CELL_SIZE;
			for (UINT cellY = firstCellY; cellY <= lastCellY; ++cellY) {
				for (UINT cellX = firstCellX; cellX <= lastCellX; ++cellX) {
					cells[size_t(cellY) * cellsAcross + cellX] = 1;
				}
			}
		}
	}
}

bool GLAlphaCoverage::Covered(UINT cellX, UINT cellY) const {
	if (!Known()) {
		return true;
	}
	return cellX >= cellsAcross || cellY >= cellsDown || cells[size_t(cellY) * cellsAcross + cellX] != 0;
}
