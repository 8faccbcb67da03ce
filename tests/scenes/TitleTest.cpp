// The title scene on the real device: its start state, the pictures it
// draws before and after the click, the turning rings, the click-to-battle
// count and its sounds.

#include "scene/Title.h"
#include "tests/scenes/SceneTestSupport.h"

#include <cmath>

using namespace scenes;

namespace {

constexpr float PI = 3.14159265f;

// Where the title picture's top-left corner lands in the 1280 x 720 window.
constexpr int PICTURE_LEFT = 240;
constexpr int PICTURE_TOP = 60;

class TitleTest : public SceneDeviceTest {
protected:
	Picture DrawAndRead(Title& title) {
		title.Draw();
		Picture picture;
		EXPECT_TRUE(picture.ReadBackBuffer());
		EXPECT_EQ(picture.width, 1280u);
		EXPECT_EQ(picture.height, 720u);
		return picture;
	}

	static SourceImage Load(const char* name) {
		SourceImage image;
		EXPECT_TRUE(image.Load(name)) << name;
		return image;
	}
};

// The ring image over black at a point between texels, filtered as the
// sprite filters it; black outside the image.
Rgb SampleBilinear(const SourceImage& image, float u, float v) {
	const float x = u - 0.5f;
	const float y = v - 0.5f;
	const int x0 = int(std::floor(x));
	const int y0 = int(std::floor(y));
	const float fx = x - x0;
	const float fy = y - y0;
	float r = 0.0f, g = 0.0f, b = 0.0f;
	for (int dy = 0; dy <= 1; ++dy) {
		for (int dx = 0; dx <= 1; ++dx) {
			const int tx = x0 + dx;
			const int ty = y0 + dy;
			if (tx < 0 || ty < 0 || tx >= image.Width() || ty >= image.Height()) {
				continue;
			}
			const float weight = (dx != 0 ? fx : 1.0f - fx) * (dy != 0 ? fy : 1.0f - fy);
			const Rgb texel = image.OverBlack(tx, ty);
			r += weight * texel.r;
			g += weight * texel.g;
			b += weight * texel.b;
		}
	}
	return {int(r + 0.5f), int(g + 0.5f), int(b + 0.5f)};
}

// Mean difference between the screen around the picture's corner and a ring
// image turned by `degrees` about its centre placed on that corner.
double RingDifference(const Picture& picture, const SourceImage& ring, float degrees) {
	const float c = std::cos(degrees * PI / 180.0f);
	const float s = std::sin(degrees * PI / 180.0f);
	const float half = ring.Width() / 2.0f;
	double sum = 0.0;
	int samples = 0;
	for (int y = 0; y < PICTURE_TOP + int(half); y += 2) {
		for (int x = PICTURE_LEFT - int(half); x < PICTURE_LEFT + int(half); x += 2) {
			// The pixel centre back through the rotation into the ring image.
			const float dx = x + 0.5f - PICTURE_LEFT;
			const float dy = y + 0.5f - PICTURE_TOP;
			const Rgb expected = SampleBilinear(ring, dx * c + dy * s + half, -dx * s + dy * c + half);
			const Rgb drawn = picture.At(x, y);
			// Only where either shows something, so empty space cannot dilute it.
			if (expected.r + expected.g + expected.b + drawn.r + drawn.g + drawn.b == 0) {
				continue;
			}
			sum += Difference(drawn, expected);
			++samples;
		}
	}
	return samples == 0 ? 1e9 : sum / samples;
}

TEST_F(TitleTest, StartsWithItsLightProjectionResetCameraPicturesMusicAndHiddenCursor) {
	Application& application = Application::Get();
	application.cameraEye = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
	application.cameraTarget = D3DXVECTOR3(4.0f, 5.0f, 6.0f);
	Title title;
	EXPECT_EQ(title.id, SCENE_TITLE);
	EXPECT_EQ(application.cameraEye, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	EXPECT_EQ(application.cameraTarget, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	EXPECT_FALSE(backend.CursorVisible());
	EXPECT_FALSE(title.loading);
	EXPECT_EQ(title.counter, 0);
	for (float speed : {title.outCircleSpeed, title.midCircleSpeed, title.circleSpeed}) {
		EXPECT_GE(speed, -5.0f);
		EXPECT_LE(speed, 4.0f);
		EXPECT_EQ(speed, std::floor(speed));
	}

	// Kept at the files' own sizes.
	EXPECT_EQ(title.titleTexture.imageInfo.Width, 800u);
	EXPECT_EQ(title.titleTexture.imageInfo.Height, 600u);
	EXPECT_EQ(title.loadingTexture.imageInfo.Width, 1280u);
	EXPECT_EQ(title.loadingTexture.imageInfo.Height, 720u);
	for (const Texture* ring : {&title.circleTexture, &title.midCircleTexture, &title.outCircleTexture}) {
		EXPECT_FALSE(ring->IsEmpty()) << ring->fileName;
	}

	if (loopback) {
		DWORD status = 0;
		ASSERT_NE(title.music.Buffer(), nullptr);
		title.music.Buffer()->GetStatus(&status);
		EXPECT_EQ(status, DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
		EXPECT_NE(title.startSound.Voice(0), nullptr);
		EXPECT_EQ(PlayingVoices(title.startSound), 0);
	}

	D3DLIGHT9 light;
	GraphicsDevice::Get().GetLight(&light, 0);
	EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
	EXPECT_NEAR(light.Direction.x, 0.70710678f, 1e-5f);
	EXPECT_NEAR(light.Direction.y, -0.70710678f, 1e-5f);
	EXPECT_FLOAT_EQ(light.Ambient.r, 0.3f);
	EXPECT_FLOAT_EQ(light.Specular.a, 0.0f);

	D3DXMATRIX expected, projection;
	D3DXMatrixPerspectiveFovLH(&expected, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
	GraphicsDevice::Get().device->GetTransform(D3DTS_PROJECTION, &projection);
	for (int i = 0; i < 16; ++i) {
		EXPECT_FLOAT_EQ((&projection._11)[i], (&expected._11)[i]) << i;
	}
}

TEST_F(TitleTest, TheTitlePictureIsCentredOverTheRingsOnBlack) {
	Title title;
	const Picture picture = DrawAndRead(title);
	const SourceImage titleImage = Load("data/Texture/Title/Title.png");
	const SourceImage loadingImage = Load("data/Texture/Title/Loading.png");
	EXPECT_LT(MeanDifferenceFromImage(picture, titleImage, PICTURE_LEFT, PICTURE_TOP), 6.0);
	EXPECT_GT(MeanDifferenceFromImage(picture, loadingImage, 0, 0), 30.0);
	// Right of and below the picture nothing is drawn.
	EXPECT_TRUE(picture.IsBlack(1100, 400));
	EXPECT_TRUE(picture.IsBlack(640, 690));
	EXPECT_TRUE(picture.IsBlack(100, 600));
	// The rings fill the picture's open corner and spill out left and above.
	int lit = 0;
	for (int y = 0; y < 290; y += 3) {
		for (int x = 10; x < 470; x += 3) {
			lit += picture.IsBlack(x, y) ? 0 : 1;
		}
	}
	EXPECT_GT(lit, 1000);
}

TEST_F(TitleTest, EachRingTurnsAboutItsCentreOnThePicturesCorner) {
	Title title;
	// One ring alone: the others and the picture draw nothing when empty.
	title.titleTexture.Release();
	title.circleTexture.Release();
	title.midCircleTexture.Release();
	const SourceImage outer = Load("data/Texture/Title/OutCircle.png");

	title.outCircleAngle = 0.0f;
	const Picture still = DrawAndRead(title);
	title.outCircleAngle = 30.0f;
	const Picture turned = DrawAndRead(title);

	EXPECT_LT(RingDifference(still, outer, 0.0f), 12.0);
	EXPECT_LT(RingDifference(turned, outer, 30.0f), 12.0);
	// Turned the right way and by the right amount, not mirrored.
	EXPECT_GT(RingDifference(turned, outer, 0.0f), 5.0 * RingDifference(turned, outer, 30.0f));
	EXPECT_GT(RingDifference(turned, outer, -30.0f), 5.0 * RingDifference(turned, outer, 30.0f));

	// The inner ring the same way, with its own angle.
	title.outCircleTexture.Release();
	ASSERT_TRUE(title.circleTexture.LoadFromFile("data/Texture/Title/Circle.png", true));
	const SourceImage inner = Load("data/Texture/Title/Circle.png");
	title.circleAngle = -45.0f;
	const Picture innerTurned = DrawAndRead(title);
	EXPECT_GT(RingDifference(innerTurned, inner, 45.0f), 5.0 * RingDifference(innerTurned, inner, -45.0f));
}

TEST_F(TitleTest, TheClickFrameAlreadyDrawsTheLoadingPicture) {
	Title title;
	const SourceImage loadingImage = Load("data/Texture/Title/Loading.png");
	const SourceImage titleImage = Load("data/Texture/Title/Title.png");
	title.Update();
	backend.AdvanceFrame();
	EXPECT_GT(MeanDifferenceFromImage(DrawAndRead(title), loadingImage, 0, 0), 30.0);

	ClickNow();
	EXPECT_EQ(title.Update(), SCENE_TITLE);
	EXPECT_TRUE(title.loading);
	const Picture clickFrame = DrawAndRead(title);
	EXPECT_LT(MeanDifferenceFromImage(clickFrame, loadingImage, 0, 0), 6.0);
	EXPECT_GT(MeanDifferenceFromImage(clickFrame, titleImage, PICTURE_LEFT, PICTURE_TOP), 30.0);
}

TEST_F(TitleTest, AClickAtCounterZeroShowsTheLoadingPictureForSixtyOneFrames) {
	Title title;
	const SourceImage loadingImage = Load("data/Texture/Title/Loading.png");
	ClickNow();
	// Frames as the main loop runs them: update, then draw unless the scene
	// has been left.
	int loadingFrames = 0;
	int32_t next = SCENE_TITLE;
	while ((next = title.Update()) == SCENE_TITLE && loadingFrames < 200) {
		ASSERT_TRUE(title.loading);
		++loadingFrames;
		if (loadingFrames == 1 || loadingFrames == 61) {
			EXPECT_LT(MeanDifferenceFromImage(DrawAndRead(title), loadingImage, 0, 0), 6.0) << loadingFrames;
		}
		backend.AdvanceFrame();
	}
	EXPECT_EQ(next, SCENE_GAME);
	// The click's update leaves the counter at 1; each later one adds two
	// and the 62nd update finds it past 120.
	EXPECT_EQ(loadingFrames, 61);
}

TEST_F(TitleTest, AClickAtCounterOneHundredFiftyStartsTheBattleAtTheNextUpdate) {
	Title title;
	title.counter = 150;
	ClickNow();
	EXPECT_EQ(title.Update(), SCENE_TITLE);
	EXPECT_TRUE(title.loading);
	backend.AdvanceFrame();
	EXPECT_EQ(title.Update(), SCENE_GAME);
}

TEST_F(TitleTest, AClickJustBeforeASpeedChangeStillWaitsForItsCount) {
	Title title;
	// The speed change resets the counter in the click's own update.
	title.counter = 181;
	ClickNow();
	title.Update();
	EXPECT_EQ(title.counter, 1);
	int updates = 1;
	while (title.Update() == SCENE_TITLE && updates < 200) {
		backend.AdvanceFrame();
		++updates;
	}
	EXPECT_EQ(updates, 61);
}

TEST_F(TitleTest, HoldingTheButtonReplaysTheStartSoundEveryFrameAndTheMusicStops) {
	if (!loopback) {
		GTEST_SKIP() << "no OpenAL loopback device";
	}
	Title title;
	ASSERT_NE(title.startSound.Voice(0), nullptr);
	backend.SetKey(0, VK_LBUTTON, true);
	for (int frame = 1; frame <= 5; ++frame) {
		title.Update();
		backend.AdvanceFrame();
		// A new voice each frame; the loopback device mixes nothing meanwhile,
		// so the earlier ones are all still sounding.
		EXPECT_EQ(PlayingVoices(title.startSound), frame);
		EXPECT_EQ(title.startSound.NextVoice(), frame);
	}
	DWORD status = 0;
	title.music.Buffer()->GetStatus(&status);
	EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);

	backend.SetKey(backend.Frame(), VK_LBUTTON, false);
	title.Update();
	EXPECT_EQ(PlayingVoices(title.startSound), 5);
}

TEST_F(TitleTest, OneShortClickPlaysTheStartSoundOnce) {
	if (!loopback) {
		GTEST_SKIP() << "no OpenAL loopback device";
	}
	Title title;
	ClickNow();
	for (int frame = 0; frame < 10; ++frame) {
		title.Update();
		backend.AdvanceFrame();
	}
	EXPECT_EQ(PlayingVoices(title.startSound), 1);
	EXPECT_TRUE(IsPlaying(title.startSound.Voice(0)));
}

TEST_F(TitleTest, TheMusicKeysActThroughTheTitlesUpdate) {
	if (!loopback) {
		GTEST_SKIP() << "no OpenAL loopback device";
	}
	Title title;
	const double before = title.music.Frequency();
	ASSERT_GT(before, 0.0);
	backend.SetKey(0, 'H', true);
	for (int frame = 0; frame < 10; ++frame) {
		title.Update();
		backend.AdvanceFrame();
	}
	// 1.01 to the tenth, less a little for the truncations.
	EXPECT_GT(title.music.Frequency() / before, 1.100);
	EXPECT_LT(title.music.Frequency() / before, 1.105);
}

TEST_F(TitleTest, RingSpeedsChangeInThe182ndUpdate) {
	Title title;
	std::vector<float> angles;
	for (int update = 1; update <= 182; ++update) {
		title.Update();
		angles.push_back(title.outCircleAngle);
	}
	// Up to the 181st update the outer ring turned at one speed.
	EXPECT_FLOAT_EQ(angles[180], 181.0f * angles[0]);
	EXPECT_EQ(title.counter, 1);
}

TEST_F(TitleTest, TheTitleCameraKeepsTheIdentityPoseTiltedByALeftoverPitch) {
	Application& application = Application::Get();
	application.viewPitch = 20.0f;
	Title title;
	title.Draw();
	const float c = std::cos(20.0f * PI / 180.0f);
	const float s = std::sin(20.0f * PI / 180.0f);
	// (8, 5, -20) turned about x.
	EXPECT_NEAR(application.cameraEye.x, 8.0f, 1e-4f);
	EXPECT_NEAR(application.cameraEye.y, 5.0f * c + 20.0f * s, 1e-4f);
	EXPECT_NEAR(application.cameraEye.z, 5.0f * s - 20.0f * c, 1e-4f);
}

TEST_F(TitleTest, UninitReleasesThePicturesAndSounds) {
	Title title;
	title.Uninit();
	for (const Texture* texture : {&title.titleTexture, &title.circleTexture, &title.midCircleTexture,
	                               &title.outCircleTexture, &title.loadingTexture}) {
		EXPECT_TRUE(texture->IsEmpty());
	}
	EXPECT_EQ(title.music.Buffer(), nullptr);
	EXPECT_EQ(title.startSound.Voice(0), nullptr);
	// A draw after it shows nothing and does not fail.
	const Picture picture = DrawAndRead(title);
	EXPECT_TRUE(picture.IsBlack(640, 360));
}

}  // namespace
