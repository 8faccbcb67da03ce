#pragma once
// Writes cube maps as uncompressed A8R8G8B8 DDS files with a full mip chain,
// the layout the game's environment reflection loads.

#include "tools/assetgen/Canvas.h"

#include <cstdint>
#include <vector>

class DdsWriter {
public:
	// faces: six square canvases of one power-of-two size, in the order
	// +X, -X, +Y, -Y, +Z, -Z. Empty result when the faces do not fit that.
	static std::vector<uint8_t> WriteCubeMap(const std::vector<Canvas>& faces);
};
