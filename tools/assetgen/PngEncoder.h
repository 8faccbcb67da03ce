#pragma once
// Encodes a canvas as PNG bytes with fixed settings, so equal pictures give
// equal files.

#include "tools/assetgen/Canvas.h"

#include <cstdint>
#include <vector>

class PngEncoder {
public:
	static std::vector<uint8_t> Encode(const Canvas& canvas);
};
