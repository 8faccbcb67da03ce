#pragma once
// Expands DXT1/3/5 blocks to B, G, R, A bytes, for GL drivers without S3TC
// and for loads that ask for an uncompressed format.

#include "platform/image/Image.h"

#include <cstdint>
#include <vector>

class DxtDecoder {
public:
	// Decodes a width x height level; false when the format is not DXT or
	// the bytes are fewer than the blocks need.
	static bool Decode(PixelFormat format, uint32_t width, uint32_t height, const std::vector<uint8_t>& blocks,
	                   std::vector<uint8_t>& bgra);

private:
	static void DecodeColorBlock(const uint8_t* block, bool allowTransparent, uint8_t out[16][4]);
	static void DecodeExplicitAlpha(const uint8_t* block, uint8_t out[16][4]);
	static void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t out[16][4]);
};
