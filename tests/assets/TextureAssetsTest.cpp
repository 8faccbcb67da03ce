// The generated pictures: present, at the sizes the scenes and the HUD draw
// them, and shaped for how they are drawn (rings turning about their centres
// behind the title's corner, fills squeezed to a value, a frame over the view).

#include "platform/image/Image.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
	std::ifstream file(path, std::ios::binary);
	return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Picture {
	int width = 0;
	int height = 0;
	std::vector<uint8_t> rgba;

	bool Loaded() const { return !rgba.empty(); }
	const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
	int Alpha(int x, int y) const { return At(x, y)[3]; }
	float Luminance(int x, int y) const {
		const uint8_t* p = At(x, y);
		return (0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2]) / 255.0f;
	}
};

Picture LoadPicture(const std::string& path) {
	Picture picture;
	const std::vector<uint8_t> bytes = ReadBytes(path);
	int channels = 0;
	unsigned char* decoded = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &picture.width,
		&picture.height, &channels, 4);
	if (decoded) {
		picture.rgba.assign(decoded, decoded + static_cast<size_t>(picture.width) * picture.height * 4);
		stbi_image_free(decoded);
	}
	return picture;
}

// Largest distance from the image centre of any pixel at least half opaque.
float OpaqueRadius(const Picture& picture) {
	float radius = 0.0f;
	for (int y = 0; y < picture.height; ++y) {
		for (int x = 0; x < picture.width; ++x) {
			if (picture.Alpha(x, y) >= 128) {
				radius = std::max(radius, std::hypot(x + 0.5f - picture.width * 0.5f, y + 0.5f - picture.height * 0.5f));
			}
		}
	}
	return radius;
}

struct ExpectedSize {
	const char* path;
	int width;
	int height;
};

// 800 x 600 pictures are centred by the scenes; the overlay and the loading
// picture cover the 1280 x 720 view; the HUD frames and fills are made at
// exactly the size the HUD stretches them to, so they are never distorted.
const ExpectedSize FIXED_SIZES[] = {
	{ "data/Texture/Title/Title.png", 800, 600 },
	{ "data/Texture/Title/Loading.png", 1280, 720 },
	{ "data/Texture/Result/Result.png", 800, 600 },
	{ "data/Texture/Result/Failed.png", 800, 600 },
	{ "data/Texture/back.png", 1280, 720 },
	{ "data/Texture/Game/HPBar_Blue.png", 326, 60 },
	{ "data/Texture/Game/HP.png", 300, 13 },
	{ "data/Texture/Game/PGage_Bar.png", 230, 14 },
	{ "data/Texture/Game/PGage.png", 200, 10 },
};

const char* const RINGS[] = {
	"data/Texture/Title/Circle.png",
	"data/Texture/Title/MidCircle.png",
	"data/Texture/Title/OutCircle.png",
};

TEST(TextureAssets, EveryPictureDecodesAtItsDrawnSize) {
	for (const ExpectedSize& expected : FIXED_SIZES) {
		const Picture picture = LoadPicture(expected.path);
		ASSERT_TRUE(picture.Loaded()) << expected.path;
		EXPECT_EQ(picture.width, expected.width) << expected.path;
		EXPECT_EQ(picture.height, expected.height) << expected.path;
	}
	for (const char* path : { "data/Texture/Reticle2.png", "data/Texture/Game/Gun_Gage.png",
			 "data/Texture/Game/Plasma_launcher.png", "data/Texture/Game/Plasma_Black.png",
			 "data/Texture/toon.png", "data/Texture/toon2.png", RINGS[0], RINGS[1], RINGS[2] }) {
		EXPECT_TRUE(LoadPicture(path).Loaded()) << path;
	}
}

TEST(TextureAssets, RingsAreCentredTransparentSquaresThatGrowOutwards) {
	float previousRadius = 0.0f;
	for (const char* path : RINGS) {
		const Picture ring = LoadPicture(path);
		ASSERT_TRUE(ring.Loaded()) << path;
		EXPECT_EQ(ring.width, ring.height) << path;
		const int last = ring.width - 1;
		for (const auto& [x, y] : { std::pair { 0, 0 }, { last, 0 }, { 0, last }, { last, last } }) {
			EXPECT_EQ(ring.Alpha(x, y), 0) << path << " corner " << x << "," << y;
		}
		EXPECT_EQ(ring.Alpha(ring.width / 2, ring.height / 2), 0) << path << " is a ring, open in the middle";
		// Turning about the image centre only looks right if the ring's mass
		// sits on that centre.
		double sumX = 0.0, sumY = 0.0, weight = 0.0;
		for (int y = 0; y < ring.height; ++y) {
			for (int x = 0; x < ring.width; ++x) {
				const double a = ring.Alpha(x, y);
				sumX += a * (x + 0.5);
				sumY += a * (y + 0.5);
				weight += a;
			}
		}
		ASSERT_GT(weight, 0.0) << path << " has no visible pixel";
		int solid = 0;
		for (int y = 0; y < ring.height; ++y) {
			for (int x = 0; x < ring.width; ++x) {
				solid += ring.Alpha(x, y) >= 230;
			}
		}
		EXPECT_GT(solid, ring.width) << path << " is only a faint haze";
		EXPECT_NEAR(sumX / weight, ring.width * 0.5, ring.width * 0.05) << path;
		EXPECT_NEAR(sumY / weight, ring.height * 0.5, ring.height * 0.05) << path;
		const float radius = OpaqueRadius(ring);
		EXPECT_GT(radius, previousRadius) << path << " must enclose the ring inside it";
		previousRadius = radius;
	}
	// The outer ring turns about a point 240 pixels from the left edge of the
	// 1280 x 720 view: any larger and it would be cut off.
	EXPECT_LE(previousRadius, 240.0f);
}

TEST(TextureAssets, TitleOpensItsCornerSoTheInnerRingShowsWhole) {
	const Picture title = LoadPicture("data/Texture/Title/Title.png");
	const Picture inner = LoadPicture(RINGS[0]);
	ASSERT_TRUE(title.Loaded());
	ASSERT_TRUE(inner.Loaded());
	EXPECT_GT(title.Alpha(title.width / 2, title.height / 2), 250);
	EXPECT_GT(title.Alpha(title.width - 1, title.height - 1), 250);
	// The ring's centre lies on the picture's corner, so the quarter of the
	// ring below and right of its centre falls on the picture.
	const int cx = inner.width / 2;
	const int cy = inner.height / 2;
	for (int y = cy; y < inner.height; ++y) {
		for (int x = cx; x < inner.width; ++x) {
			if (inner.Alpha(x, y) >= 128) {
				ASSERT_LT(title.Alpha(x - cx, y - cy), 128) << "inner ring hidden at " << x - cx << "," << y - cy;
			}
		}
	}
}

TEST(TextureAssets, OutcomePicturesAreOpaqueAndTellWinFromLossByColour) {
	auto meanChannels = [](const Picture& picture) {
		double r = 0.0, b = 0.0;
		int opaque = 0;
		for (int y = 0; y < picture.height; ++y) {
			for (int x = 0; x < picture.width; ++x) {
				r += picture.At(x, y)[0];
				b += picture.At(x, y)[2];
				opaque += picture.Alpha(x, y) == 255;
			}
		}
		const double count = static_cast<double>(picture.width) * picture.height;
		return std::tuple { r / count, b / count, opaque / count };
	};
	const Picture success = LoadPicture("data/Texture/Result/Result.png");
	const Picture failure = LoadPicture("data/Texture/Result/Failed.png");
	ASSERT_TRUE(success.Loaded());
	ASSERT_TRUE(failure.Loaded());
	const auto [successRed, successBlue, successOpaque] = meanChannels(success);
	const auto [failureRed, failureBlue, failureOpaque] = meanChannels(failure);
	EXPECT_EQ(successOpaque, 1.0);
	EXPECT_EQ(failureOpaque, 1.0);
	EXPECT_GT(successBlue, successRed * 1.5) << "success reads as the player's blue";
	EXPECT_GT(failureRed, failureBlue * 1.5) << "failure reads as danger red";
}

TEST(TextureAssets, CockpitFrameLeavesTheViewClear) {
	const Picture frame = LoadPicture("data/Texture/back.png");
	ASSERT_TRUE(frame.Loaded());
	int clear = 0;
	int visible = 0;
	for (int y = 0; y < frame.height; ++y) {
		for (int x = 0; x < frame.width; ++x) {
			const int alpha = frame.Alpha(x, y);
			clear += alpha < 26;
			visible += alpha > 128;
			// The middle of the view, where the reticle and targets are, is untouched.
			if (std::abs(x - frame.width / 2) < 300 && std::abs(y - frame.height / 2) < 180) {
				ASSERT_EQ(alpha, 0) << "overlay covers the view at " << x << "," << y;
			}
		}
	}
	const int total = frame.width * frame.height;
	EXPECT_GT(clear, total * 7 / 10);
	EXPECT_GT(visible, 0) << "the frame draws something";
}

// The HUD squeezes the fills to the value shown, so any pattern along their
// length would slide and shrink with it.
TEST(TextureAssets, BarFillsAreUniformAlongTheirLength) {
	for (const char* path : { "data/Texture/Game/HP.png", "data/Texture/Game/PGage.png" }) {
		const Picture fill = LoadPicture(path);
		ASSERT_TRUE(fill.Loaded()) << path;
		for (int y = 0; y < fill.height; ++y) {
			EXPECT_GT(fill.Alpha(0, y), 250) << path;
			for (int x = 1; x < fill.width; ++x) {
				for (int channel = 0; channel < 4; ++channel) {
					ASSERT_EQ(fill.At(x, y)[channel], fill.At(0, y)[channel]) << path << " at " << x << "," << y;
				}
			}
		}
	}
}

TEST(TextureAssets, FramesBackTheirFillsWhereTheHudDrawsThem) {
	// The health fill goes at (21, 23), 300 x 13; the gauge at (5, 2), 200 x 10.
	const Picture health = LoadPicture("data/Texture/Game/HPBar_Blue.png");
	const Picture gauge = LoadPicture("data/Texture/Game/PGage_Bar.png");
	ASSERT_TRUE(health.Loaded());
	ASSERT_TRUE(gauge.Loaded());
	for (int x = 21; x < 321; x += 7) {
		for (int y = 23; y < 36; ++y) {
			ASSERT_GT(health.Alpha(x, y), 200) << x << "," << y;
			ASSERT_LT(health.Luminance(x, y), 0.2f) << "the empty part of the bar reads dark at " << x << "," << y;
		}
	}
	for (int x = 5; x < 205; x += 5) {
		for (int y = 2; y < 12; ++y) {
			ASSERT_GT(gauge.Alpha(x, y), 200) << x << "," << y;
			ASSERT_LT(gauge.Luminance(x, y), 0.2f) << x << "," << y;
		}
	}
}

TEST(TextureAssets, WeaponIconsFitBetweenTheGaugeAndTheScreenEdge) {
	const Picture gun = LoadPicture("data/Texture/Game/Gun_Gage.png");
	const Picture lit = LoadPicture("data/Texture/Game/Plasma_launcher.png");
	const Picture dark = LoadPicture("data/Texture/Game/Plasma_Black.png");
	ASSERT_TRUE(gun.Loaded() && lit.Loaded() && dark.Loaded());
	// Drawn from 180 pixels left of the right edge; the launcher icon sits at
	// H - 300 above the gauge frame at H - 242.
	EXPECT_LE(gun.width, 180);
	EXPECT_LE(lit.width, 180);
	EXPECT_LE(lit.height, 300 - 242);
	EXPECT_LE(gun.height, 200);
	ASSERT_EQ(dark.width, lit.width);
	ASSERT_EQ(dark.height, lit.height);
}

TEST(TextureAssets, ReticleCentresOnTheViewsMiddleRow) {
	// Drawn with its corner at (W / 2 + 5, H / 2 - 60): only a picture 120
	// pixels high puts its centre on the middle row of the view.
	const Picture reticle = LoadPicture("data/Texture/Reticle2.png");
	ASSERT_TRUE(reticle.Loaded());
	EXPECT_EQ(reticle.height, 120);
	EXPECT_EQ(reticle.width, reticle.height);
	EXPECT_EQ(reticle.Alpha(0, 0), 0);
	EXPECT_EQ(reticle.Alpha(reticle.width - 1, reticle.height - 1), 0);
	EXPECT_GT(reticle.Alpha(reticle.width / 2, reticle.height / 2), 200) << "a dot marks the aim point";
	EXPECT_EQ(reticle.Alpha(reticle.width / 2 + 8, reticle.height / 2 + 8), 0) << "the aim point stays clear around";
}

TEST(TextureAssets, DarkLauncherIconIsTheLitOneTurnedOff) {
	const Picture lit = LoadPicture("data/Texture/Game/Plasma_launcher.png");
	const Picture dark = LoadPicture("data/Texture/Game/Plasma_Black.png");
	ASSERT_TRUE(lit.Loaded() && dark.Loaded());
	ASSERT_EQ(dark.width, lit.width);
	ASSERT_EQ(dark.height, lit.height);
	double litLight = 0.0, darkLight = 0.0;
	int silhouetteDifferences = 0;
	for (int y = 0; y < lit.height; ++y) {
		for (int x = 0; x < lit.width; ++x) {
			litLight += lit.Luminance(x, y) * lit.Alpha(x, y);
			darkLight += dark.Luminance(x, y) * dark.Alpha(x, y);
			silhouetteDifferences += std::abs(lit.Alpha(x, y) - dark.Alpha(x, y)) > 25;
		}
	}
	EXPECT_LT(darkLight, litLight * 0.7);
	EXPECT_LT(silhouetteDifferences, lit.width * lit.height / 20) << "same outline, only dimmed";
}

TEST(TextureAssets, ToonRampsHaveTwoOrThreeHardBandsBrighteningToTheRight) {
	for (const char* path : { "data/Texture/toon.png", "data/Texture/toon2.png" }) {
		const Picture ramp = LoadPicture(path);
		ASSERT_TRUE(ramp.Loaded()) << path;
		// Loaded without the non-power-of-two option, so other sizes would be rescaled.
		EXPECT_EQ(ramp.width & (ramp.width - 1), 0) << path;
		EXPECT_EQ(ramp.height & (ramp.height - 1), 0) << path;
		std::set<int> levels;
		for (int x = 0; x < ramp.width; ++x) {
			levels.insert(ramp.At(x, 0)[0]);
			if (x > 0) {
				EXPECT_GE(ramp.At(x, 0)[0], ramp.At(x - 1, 0)[0]) << path << " darkens at " << x;
			}
			for (int y = 1; y < ramp.height; ++y) {
				ASSERT_EQ(ramp.At(x, y)[0], ramp.At(x, 0)[0]) << path << " rows differ";
			}
		}
		EXPECT_GE(levels.size(), 2u) << path;
		EXPECT_LE(levels.size(), 3u) << path;
		EXPECT_GT(*levels.begin(), 40) << path << " shadow band should not be black";
		EXPECT_EQ(*levels.rbegin(), 255) << path << " lit band at full brightness";
	}
}

uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset) {
	return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

TEST(TextureAssets, ConcreteCubeMapHasSixFacesWithFullMipChains) {
	const std::vector<uint8_t> bytes = ReadBytes("data/Texture/ConcreteMap.dds");
	ASSERT_GE(bytes.size(), 128u);
	ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "DDS ");
	EXPECT_EQ(U32(bytes, 4), 124u);
	const uint32_t flags = U32(bytes, 8);
	const uint32_t height = U32(bytes, 12);
	const uint32_t width = U32(bytes, 16);
	const uint32_t mips = U32(bytes, 28);
	EXPECT_TRUE(flags & 0x20000) << "mip count flag";
	ASSERT_EQ(width, height);
	ASSERT_GT(width, 0u);
	ASSERT_EQ(width & (width - 1), 0u);
	uint32_t fullChain = 1;
	while ((width >> (fullChain - 1)) > 1) {
		++fullChain;
	}
	EXPECT_EQ(mips, fullChain);
	EXPECT_EQ(U32(bytes, 80), 0x41u) << "uncompressed RGB with alpha";
	EXPECT_EQ(U32(bytes, 88), 32u);
	EXPECT_EQ(U32(bytes, 92), 0x00FF0000u);
	EXPECT_EQ(U32(bytes, 104), 0xFF000000u);
	EXPECT_EQ(U32(bytes, 112) & 0xFE00u, 0xFE00u) << "cube map with all six faces";
	size_t faceBytes = 0;
	for (uint32_t level = 0; level < mips; ++level) {
		const size_t side = std::max(1u, width >> level);
		faceBytes += side * side * 4;
	}
	EXPECT_EQ(bytes.size(), 128 + 6 * faceBytes);

	Image image;
	std::string why;
	ASSERT_TRUE(ReadDdsImage(bytes.data(), bytes.size(), image, why)) << why;
	EXPECT_TRUE(image.IsCube());
	EXPECT_EQ(image.mipLevels, mips);
}

// Adjacent faces meet along an edge that both see in the same direction, so
// a correctly oriented cube shows no seam there.
TEST(TextureAssets, ConcreteCubeFacesMeetWithoutSeams) {
	const std::vector<uint8_t> bytes = ReadBytes("data/Texture/ConcreteMap.dds");
	Image image;
	std::string why;
	ASSERT_TRUE(ReadDdsImage(bytes.data(), bytes.size(), image, why)) << why;
	ASSERT_TRUE(image.IsCube());
	const uint32_t n = image.width;
	auto texel = [&](uint32_t face, uint32_t x, uint32_t y) {
		const ImageSurface& surface = image.Surface(face, 0);
		const uint8_t* p = &surface.bytes[(static_cast<size_t>(y) * n + x) * 4];
		return (p[0] + p[1] + p[2]) / (3.0 * 255.0);
	};
	// The right column of +Z looks where the left column of +X does, and the
	// bottom row of +Z where the top row of -Y does.
	double seam = 0.0, across = 0.0;
	for (uint32_t i = 0; i < n; ++i) {
		seam += std::fabs(texel(4, n - 1, i) - texel(0, 0, i));
		across += std::fabs(texel(4, n - 1, i) - texel(1, 0, i));
		seam += std::fabs(texel(4, i, n - 1) - texel(3, i, 0));
		across += std::fabs(texel(4, i, n - 1) - texel(3, i, n - 1));
	}
	EXPECT_LT(seam / (2 * n), 0.03);
	EXPECT_LT(seam, across) << "a misoriented face would match its neighbour no better than a far one";
}

}  // namespace
