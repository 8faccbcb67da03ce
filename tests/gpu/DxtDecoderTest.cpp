// Expansion of DXT blocks to BGRA bytes.

#include "platform/gpu/DxtDecoder.h"

#include <gtest/gtest.h>

namespace {

struct Bgra {
	uint8_t b, g, r, a;
	bool operator==(const Bgra& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};

Bgra TexelAt(const std::vector<uint8_t>& bgra, uint32_t width, uint32_t x, uint32_t y) {
	const uint8_t* p = bgra.data() + (size_t(y) * width + x) * 4;
	return Bgra{p[0], p[1], p[2], p[3]};
}

// Indices for the first four texels 0, 1, 2, 3; the rest 0.
constexpr uint8_t RISING_INDICES[4] = {0xE4, 0, 0, 0};

TEST(DxtDecoderTest, OpaqueBlockInterpolatesTwoThirds) {
	// Red over blue, so the four-colour mode applies.
	const std::vector<uint8_t> block = {0x00, 0xF8, 0x1F, 0x00, RISING_INDICES[0], 0, 0, 0};
	std::vector<uint8_t> bgra;
	ASSERT_TRUE(DxtDecoder::Decode(PixelFormat::DXT1, 4, 4, block, bgra));
	EXPECT_EQ(TexelAt(bgra, 4, 0, 0), (Bgra{0, 0, 255, 255}));
	EXPECT_EQ(TexelAt(bgra, 4, 1, 0), (Bgra{255, 0, 0, 255}));
	EXPECT_EQ(TexelAt(bgra, 4, 2, 0), (Bgra{85, 0, 170, 255}));
	EXPECT_EQ(TexelAt(bgra, 4, 3, 0), (Bgra{170, 0, 85, 255}));
	EXPECT_EQ(TexelAt(bgra, 4, 3, 3), (Bgra{0, 0, 255, 255}));
}

TEST(DxtDecoderTest, ThreeColourBlockHasATransparentIndex) {
	// First colour not above the second: index 3 is transparent black.
	const std::vector<uint8_t> block = {0x1F, 0x00, 0x00, 0xF8, RISING_INDICES[0], 0, 0, 0};
	std::vector<uint8_t> bgra;
	ASSERT_TRUE(DxtDecoder::Decode(PixelFormat::DXT1, 4, 4, block, bgra));
	EXPECT_EQ(TexelAt(bgra, 4, 2, 0), (Bgra{127, 0, 127, 255}));
	EXPECT_EQ(TexelAt(bgra, 4, 3, 0), (Bgra{0, 0, 0, 0}));
}

TEST(DxtDecoderTest, AlphaBlocksOfDxt3AndDxt5) {
	const std::vector<uint8_t> colour = {0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0};  // white
	std::vector<uint8_t> dxt3 = {0x80, 0x0F, 0, 0, 0, 0, 0, 0};  // texels 0..3: 0, 8, 15, 0
	dxt3.insert(dxt3.end(), colour.begin(), colour.end());
	std::vector<uint8_t> bgra;
	ASSERT_TRUE(DxtDecoder::Decode(PixelFormat::DXT3, 4, 4, dxt3, bgra));
	EXPECT_EQ(TexelAt(bgra, 4, 0, 0).a, 0);
	EXPECT_EQ(TexelAt(bgra, 4, 1, 0).a, 136);
	EXPECT_EQ(TexelAt(bgra, 4, 2, 0).a, 255);
	EXPECT_EQ(TexelAt(bgra, 4, 0, 0).r, 255);

	// Alpha 255 and 0 with indices 0, 1, 2 for the first three texels.
	std::vector<uint8_t> dxt5 = {255, 0, 0x08 | (2 << 6), 0, 0, 0, 0, 0};
	dxt5.insert(dxt5.end(), colour.begin(), colour.end());
	ASSERT_TRUE(DxtDecoder::Decode(PixelFormat::DXT5, 4, 4, dxt5, bgra));
	EXPECT_EQ(TexelAt(bgra, 4, 0, 0).a, 255);
	EXPECT_EQ(TexelAt(bgra, 4, 1, 0).a, 0);
	EXPECT_EQ(TexelAt(bgra, 4, 2, 0).a, 218);
}

TEST(DxtDecoderTest, SmallLevelsCropTheirBlockAndShortDataFails) {
	const std::vector<uint8_t> block = {0x00, 0xF8, 0x1F, 0x00, RISING_INDICES[0], 0, 0, 0};
	std::vector<uint8_t> bgra;
	ASSERT_TRUE(DxtDecoder::Decode(PixelFormat::DXT1, 2, 1, block, bgra));
	EXPECT_EQ(bgra.size(), 8u);
	EXPECT_EQ(TexelAt(bgra, 2, 1, 0), (Bgra{255, 0, 0, 255}));
	EXPECT_FALSE(DxtDecoder::Decode(PixelFormat::DXT1, 8, 4, block, bgra));
	EXPECT_FALSE(DxtDecoder::Decode(PixelFormat::DXT5, 4, 4, block, bgra));
	EXPECT_FALSE(DxtDecoder::Decode(PixelFormat::BGRA8, 4, 4, block, bgra));
}

}  // namespace
