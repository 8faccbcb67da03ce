// The battle's HUD as the player sees it: whole frames drawn by the battle
// scene and read back from the back buffer, compared with each other and
// with the HUD's own image files.

#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "tests/weapons/WeaponsTestSupport.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace player_test;
using namespace weapons_test;

namespace {

struct Picture {
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;
	const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
	bool SameAt(const Picture& other, int x, int y) const {
		return std::equal(At(x, y), At(x, y) + 3, other.At(x, y));
	}
};

// The smallest box holding every pixel that differs between two pictures.
struct Box {
	int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
	bool Empty() const { return right < 0; }
};

Box Difference(const Picture& a, const Picture& b) {
	Box box;
	for (int y = 0; y < int(a.height); ++y) {
		for (int x = 0; x < int(a.width); ++x) {
			if (!a.SameAt(b, x, y)) {
				box.left = std::min(box.left, x);
				box.right = std::max(box.right, x);
				box.top = std::min(box.top, y);
				box.bottom = std::max(box.bottom, y);
			}
		}
	}
	return box;
}

// A HUD picture read straight from its file, as BGRA bytes.
struct ImageFile {
	Image image;
	explicit ImageFile(const char* path) {
		std::ifstream file(path, std::ios::binary);
		const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
		std::string why;
		loaded = ReadPngImage(bytes.data(), bytes.size(), image, why) && image.format == PixelFormat::BGRA8;
	}
	const uint8_t* Texel(int x, int y) const { return &image.surfaces[0].bytes[(size_t(y) * image.width + x) * 4]; }
	bool loaded = false;
};

const char* const RETICLE = "data/Texture/Reticle2.png";
const char* const GUN_ICON = "data/Texture/Game/Gun_Gage.png";
const char* const LIT_ICON = "data/Texture/Game/Plasma_launcher.png";
const char* const DARK_ICON = "data/Texture/Game/Plasma_Black.png";

// The tint texel's own alpha.
constexpr double TINT_TEXEL_ALPHA = 0x64 / 255.0;

class HudTest : public WeaponTest {
protected:
	void SetUp() override {
		WeaponTest::SetUp();
		if (IsSkipped()) {
			return;
		}
		StepPlayer(100);
	}

	void TearDown() override {
		Application::Get().clientWidth = 1280;
		Application::Get().clientHeight = 720;
		BattleTest::TearDown();
	}

	// A whole battle frame with the HUD showing these values.
	Picture Frame(float hitPoints, int32_t charge) {
		Player().hitPoints = hitPoints;
		Player().plasma.charge = charge;
		game->Draw();
		Picture picture;
		EXPECT_TRUE(ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, picture.rgba, picture.width, picture.height));
		EXPECT_EQ(picture.width, 1280u);
		EXPECT_EQ(picture.height, 720u);
		return picture;
	}

	// Width of the health fill: how far along its middle row the frame
	// differs from one with a 151-pixel fill, which ends short of it.
	int HealthFillWidth(float hitPoints) {
		const Picture shown = Frame(hitPoints, 400);
		const Picture reference = Frame(151.0f, 400);
		const int row = 593 + 6;
		for (int x = 1279; x >= 21; --x) {
			if (!shown.SameAt(reference, x, row)) {
				return x - 21 + 1;
			}
		}
		return 151;
	}

	// Width of the plasma gauge along its middle row, against an empty one.
	int GaugeWidth(int32_t charge) {
		const Picture shown = Frame(300.0f, charge);
		const Picture empty = Frame(300.0f, 0);
		const int row = 480 + 5;
		for (int x = 1279; x >= 1065; --x) {
			if (!shown.SameAt(empty, x, row)) {
				return x - 1065 + 1;
			}
		}
		return 0;
	}

	// Counts the opaque texels of image that the picture shows exactly at
	// (left, top) + texel, and those it does not.
	static void CompareOpaqueTexels(const Picture& picture, const ImageFile& file, int left, int top, int& matching,
	                                int& differing) {
		matching = differing = 0;
		for (int y = 0; y < int(file.image.height); ++y) {
			for (int x = 0; x < int(file.image.width); ++x) {
				const uint8_t* texel = file.Texel(x, y);
				if (texel[3] != 255) {
					continue;
				}
				const uint8_t* pixel = picture.At(left + x, top + y);
				const bool same = pixel[0] == texel[2] && pixel[1] == texel[1] && pixel[2] == texel[0];
				(same ? matching : differing) += 1;
			}
		}
	}

	// The tint's blend over what lay beneath: the red texel's alpha times the
	// modulating alpha, source over.
	static void ExpectTinted(const Picture& tinted, const Picture& plain, int x, int y, int alpha) {
		const double a = TINT_TEXEL_ALPHA * alpha / 255.0;
		const uint8_t* under = plain.At(x, y);
		const uint8_t* over = tinted.At(x, y);
		EXPECT_NEAR(over[0], 255.0 * a + under[0] * (1.0 - a), 2.0) << x << "," << y;
		EXPECT_NEAR(over[1], under[1] * (1.0 - a), 2.0) << x << "," << y;
		EXPECT_NEAR(over[2], under[2] * (1.0 - a), 2.0) << x << "," << y;
	}

	// Points spread over the screen, clear of the health bar.
	static std::vector<std::pair<int, int>> SamplePoints() {
		std::vector<std::pair<int, int>> points;
		for (int y = 7; y < 720; y += 61) {
			for (int x = 5; x < 1280; x += 97) {
				if (!(y >= 570 && y < 630 && x < 326)) {
					points.emplace_back(x, y);
				}
			}
		}
		return points;
	}
};

TEST_F(HudTest, TheHealthFillIsAsManyPixelsWideAsTheWholeHitPoints) {
	EXPECT_EQ(HealthFillWidth(300.0f), 300);
	EXPECT_EQ(HealthFillWidth(299.9f), 299);
	EXPECT_EQ(HealthFillWidth(200.5f), 200);
}

TEST_F(HudTest, AtZeroHitPointsTheHealthFillIsGone) {
	// Both under the full tint; the only difference is the one-pixel fill.
	const Box box = Difference(Frame(1.0f, 400), Frame(0.0f, 400));
	EXPECT_EQ(box.left, 21);
	EXPECT_EQ(box.right, 21);
	EXPECT_EQ(box.top, 593);
	EXPECT_EQ(box.bottom, 593 + 12);
}

TEST_F(HudTest, NoTintAboveHalfHealth) {
	// Only the fill differs (stretched to another width): the bar's 13 rows
	// up to the end of the wider fill.
	const Box box = Difference(Frame(150.5f, 400), Frame(200.0f, 400));
	EXPECT_GE(box.left, 21);
	EXPECT_EQ(box.right, 21 + 199);
	EXPECT_EQ(box.top, 593);
	EXPECT_EQ(box.bottom, 605);
}

TEST_F(HudTest, AtHalfHealthTheRedTintAppearsWithAlpha150AndDeepensTo255) {
	const Picture plain = Frame(150.5f, 400);
	const Picture half = Frame(150.0f, 400);
	for (const auto& [x, y] : SamplePoints()) {
		ExpectTinted(half, plain, x, y, 150);
	}
	const Picture plainWide = Frame(200.0f, 400);
	const Picture hundred = Frame(100.0f, 400);
	const Picture zero = Frame(0.0f, 400);
	for (const auto& [x, y] : SamplePoints()) {
		ExpectTinted(hundred, plainWide, x, y, 200);
		ExpectTinted(zero, plainWide, x, y, 255);
	}
	// From 45 down the tint is at its strongest: only the fill still shrinks.
	const Box box = Difference(Frame(45.0f, 400), zero);
	EXPECT_EQ(box.left, 21);
	EXPECT_EQ(box.right, 21 + 44);
}

TEST_F(HudTest, ThePlasmaGaugeShowsHalfTheCharge) {
	EXPECT_EQ(GaugeWidth(400), 200);
	EXPECT_EQ(GaugeWidth(399), 199);
	EXPECT_EQ(GaugeWidth(398), 199);
	EXPECT_EQ(GaugeWidth(2), 1);
	EXPECT_EQ(GaugeWidth(1), 0);
}

TEST_F(HudTest, TheLauncherIconLightsUpWhenTheChargeReaches400) {
	const ImageFile lit(LIT_ICON);
	const ImageFile dark(DARK_ICON);
	ASSERT_TRUE(lit.loaded);
	ASSERT_TRUE(dark.loaded);
	int matching = 0, differing = 0;
	const Picture recharging = Frame(300.0f, 399);
	CompareOpaqueTexels(recharging, dark, 1100, 420, matching, differing);
	EXPECT_GT(matching, 500);
	EXPECT_EQ(differing, 0);
	CompareOpaqueTexels(recharging, lit, 1100, 420, matching, differing);
	EXPECT_GT(differing, 500);

	const Picture ready = Frame(300.0f, 400);
	CompareOpaqueTexels(ready, lit, 1100, 420, matching, differing);
	EXPECT_GT(matching, 500);
	EXPECT_EQ(differing, 0);
}

TEST_F(HudTest, TheGunIconAndTheReticleSitAtTheirPlacesOnTheScreen) {
	const ImageFile gun(GUN_ICON);
	const ImageFile reticle(RETICLE);
	ASSERT_TRUE(gun.loaded && reticle.loaded);
	const Picture frame = Frame(300.0f, 400);
	int matching = 0, differing = 0;
	CompareOpaqueTexels(frame, gun, 1100, 520, matching, differing);
	EXPECT_GT(matching, 500);
	EXPECT_EQ(differing, 0);
	CompareOpaqueTexels(frame, reticle, 640 + 5, 360 - 60, matching, differing);
	EXPECT_GT(matching, 50);
	EXPECT_EQ(differing, 0);
}

TEST_F(HudTest, AtAnotherClientSizeTheHudFollowsTheCorners) {
	Application::Get().clientWidth = 1024;
	Application::Get().clientHeight = 600;
	const ImageFile gun(GUN_ICON);
	const ImageFile lit(LIT_ICON);
	const ImageFile dark(DARK_ICON);
	ASSERT_TRUE(gun.loaded && lit.loaded && dark.loaded);
	int matching = 0, differing = 0;
	const Picture recharging = Frame(300.0f, 399);
	const Picture ready = Frame(300.0f, 400);
	CompareOpaqueTexels(ready, gun, 1024 - 180, 600 - 200, matching, differing);
	EXPECT_GT(matching, 500);
	EXPECT_EQ(differing, 0);
	CompareOpaqueTexels(recharging, dark, 1024 - 180, 600 - 300, matching, differing);
	EXPECT_GT(matching, 500);
	EXPECT_EQ(differing, 0);
	CompareOpaqueTexels(ready, lit, 1024 - 180, 600 - 300, matching, differing);
	EXPECT_GT(matching, 500);
	EXPECT_EQ(differing, 0);
	const ImageFile reticle(RETICLE);
	ASSERT_TRUE(reticle.loaded);
	CompareOpaqueTexels(ready, reticle, 512 + 5, 300 - 60, matching, differing);
	EXPECT_GT(matching, 50);
	EXPECT_EQ(differing, 0);
	// The icon change and the gauge's last column are all that differ.
	const Box box = Difference(recharging, ready);
	EXPECT_GE(box.left, 1024 - 180);
	EXPECT_EQ(box.right, 1024 - 215 + 199);
	EXPECT_GE(box.top, 600 - 300);
	EXPECT_EQ(box.bottom, 600 - 240 + 9);
	// The health fill's row follows the bottom edge.
	const Box fill = Difference(Frame(300.0f, 400), Frame(200.0f, 400));
	EXPECT_GE(fill.left, 21);
	EXPECT_EQ(fill.right, 21 + 299);
	EXPECT_EQ(fill.top, 600 - 127);
	EXPECT_EQ(fill.bottom, 600 - 127 + 12);
}

}  // namespace
