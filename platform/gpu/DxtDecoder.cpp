#include "platform/gpu/DxtDecoder.h"

namespace {

void Expand565(uint16_t color, uint8_t out[4]) {
	const uint8_t red = uint8_t((color >> 11) & 0x1F);
	const uint8_t green = uint8_t((color >> 5) & 0x3F);
	const uint8_t blue = uint8_t(color & 0x1F);
	out[0] = uint8_t((blue << 3) | (blue >> 2));
	out[1] = uint8_t((green << 2) | (green >> 4));
	out[2] = uint8_t((red << 3) | (red >> 2));
	out[3] = 0xFF;
}

uint8_t Mix(uint8_t a, uint8_t b, int weightA, int weightB) {
	return uint8_t((a * weightA + b * weightB) / (weightA + weightB));
}

}  // namespace

void DxtDecoder::DecodeColorBlock(const uint8_t* block, bool allowTransparent, uint8_t out[16][4]) {
	const uint16_t color0 = uint16_t(block[0] | (block[1] << 8));
	const uint16_t color1 = uint16_t(block[2] | (block[3] << 8));
	uint8_t palette[4][4];
	Expand565(color0, palette[0]);
	Expand565(color1, palette[1]);
	const bool fourColors = color0 > color1 || !allowTransparent;
	for (int channel = 0; channel < 3; ++channel) {
		if (fourColors) {
			palette[2][channel] = Mix(palette[0][channel], palette[1][channel], 2, 1);
			palette[3][channel] = Mix(palette[0][channel], palette[1][channel], 1, 2);
		} else {
			palette[2][channel] = Mix(palette[0][channel], palette[1][channel], 1, 1);
			palette[3][channel] = 0;
		}
	}
	palette[2][3] = 0xFF;
	palette[3][3] = fourColors ? 0xFF : 0x00;
	const uint32_t indices = uint32_t(block[4]) | (uint32_t(block[5]) << 8) | (uint32_t(block[6]) << 16) |
	                         (uint32_t(block[7]) << 24);
	for (int texel = 0; texel < 16; ++texel) {
		const uint8_t* entry = palette[(indices >> (texel * 2)) & 3];
		for (int channel = 0; channel < 4; ++channel) {
			out[texel][channel] = entry[channel];
		}
	}
}

void DxtDecoder::DecodeExplicitAlpha(const uint8_t* block, uint8_t out[16][4]) {
	for (int texel = 0; texel < 16; ++texel) {
		const uint8_t nibble = uint8_t((block[texel / 2] >> ((texel % 2) * 4)) & 0xF);
		out[texel][3] = uint8_t(nibble * 17);
	}
}

void DxtDecoder::DecodeInterpolatedAlpha(const uint8_t* block, uint8_t out[16][4]) {
	uint8_t palette[8];
	palette[0] = block[0];
	palette[1] = block[1];
	if (palette[0] > palette[1]) {
		for (int i = 1; i < 7; ++i) {
			palette[i + 1] = uint8_t(((7 - i) * palette[0] + i * palette[1]) / 7);
		}
	} else {
		for (int i = 1; i < 5; ++i) {
			palette[i + 1] = uint8_t(((5 - i) * palette[0] + i * palette[1]) / 5);
		}
		palette[6] = 0;
		palette[7] = 0xFF;
	}
	uint64_t indices = 0;
	for (int i = 0; i < 6; ++i) {
		indices |= uint64_t(block[2 + i]) << (8 * i);
	}
	for (int texel = 0; texel < 16; ++texel) {
		out[texel][3] = palette[(indices >> (texel * 3)) & 7];
	}
}

bool DxtDecoder::Decode(PixelFormat format, uint32_t width, uint32_t height, const std::vector<uint8_t>& blocks,
                        std::vector<uint8_t>& bgra) {
	size_t blockBytes = 0;
	switch (format) {
	case PixelFormat::DXT1: blockBytes = 8; break;
	case PixelFormat::DXT3:
	case PixelFormat::DXT5: blockBytes = 16; break;
	default: return false;
	}
	const size_t blocksWide = (size_t(width) + 3) / 4;
	const size_t blocksHigh = (size_t(height) + 3) / 4;
	if (width == 0 || height == 0 || blocks.size() < blocksWide * blocksHigh * blockBytes) {
		return false;
	}
	bgra.assign(size_t(width) * height * 4, 0);
	for (size_t by = 0; by < blocksHigh; ++by) {
		for (size_t bx = 0; bx < blocksWide; ++bx) {
			const uint8_t* block = blocks.data() + (by * blocksWide + bx) * blockBytes;
			uint8_t texels[16][4];
			if (format == PixelFormat::DXT1) {
				DecodeColorBlock(block, true, texels);
			} else {
				DecodeColorBlock(block + 8, false, texels);
				if (format == PixelFormat::DXT3) {
					DecodeExplicitAlpha(block, texels);
				} else {
					DecodeInterpolatedAlpha(block, texels);
				}
			}
			for (size_t texel = 0; texel < 16; ++texel) {
				const size_t x = bx * 4 + texel % 4;
				const size_t y = by * 4 + texel / 4;
				if (x < width && y < height) {
					uint8_t* out = bgra.data() + (y * width + x) * 4;
					for (int channel = 0; channel < 4; ++channel) {
						out[channel] = texels[texel][channel];
					}
				}
			}
		}
	}
	return true;
}
