// Battle frames as the player sees them, in scenes a short scripted run
// cannot reach: the robot riding the lift, and the damage tint. Each frame is
// read back and checked; with VORTANE_SHOT_DIR set the pictures are also
// written there as PNGs for review.

#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "player/MapCollision.h"
#include "render/StageObject.h"
#include "tests/player/PlayerTestSupport.h"

#include <cstdlib>
#include <filesystem>

using namespace player_test;

namespace {

struct Frame {
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;

	double MeanChannel(int channel) const {
		double sum = 0.0;
		for (size_t i = size_t(channel); i < rgba.size(); i += 4) {
			sum += rgba[i];
		}
		return sum / double(rgba.size() / 4);
	}
};

class BattleViewTest : public BattleTest {
protected:
	// One whole battle frame, update then draw, as the main loop runs it.
	void RunFrame() {
		game->Update();
		game->Draw();
		backend.AdvanceFrame();
	}

	Frame ReadFrame() {
		Frame frame;
		EXPECT_TRUE(ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, frame.rgba, frame.width, frame.height));
		return frame;
	}

	void Save(const Frame& frame, const std::string& name) {
		const char* folder = std::getenv("VORTANE_SHOT_DIR");
		if (folder == nullptr || *folder == '\0') {
			return;
		}
		std::filesystem::create_directories(folder);
		std::string why;
		EXPECT_TRUE(WritePngFile(std::string(folder) + "/" + name, frame.width, frame.height, frame.rgba.data(), why))
			<< why;
	}
};

TEST_F(BattleViewTest, TheRobotRidesTheLiftDownWithTheCameraFollowing) {
	// One enemy far away keeps the battle open and still lets the lift move.
	AddEnemy(D3DXVECTOR3(-2000.0f, 0.0f, -2000.0f));
	StageObject& lift = *manager->stageObjects[0];
	const D3DXVECTOR3 above(lift.world._41, lift.world._42 + 200.0f, lift.world._43);
	const RayCastResult top = CastRay(lift.model.mesh, lift.world, above, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
	ASSERT_TRUE(top.hit);
	const float liftTop = above.y - top.distance;
	// Face the lift's far end from its middle, standing on it.
	PlaceRobot(D3DXVECTOR3(above.x, liftTop + 15.0f, above.z));
	D3DXMATRIX turn;
	D3DXMatrixRotationY(&turn, 1.5707963f);
	Player().world = turn * Player().world;
	for (int frame = 0; frame < 90; ++frame) {
		RunFrame();
	}
	EXPECT_TRUE(lift.active);
	const float fallen = 105.0f - lift.world._42;
	EXPECT_GT(fallen, 30.0f);
	// Carried with it: 15 above its floor, plus the step the lift takes next.
	EXPECT_NEAR(Player().Position().y, liftTop - fallen + 15.0f + lift.velocity.y, 0.01f);
	const Frame riding = ReadFrame();
	Save(riding, "robot-riding-the-lift.png");
	// The robot fills the lower middle of the picture: not the clear colour.
	const uint8_t* middle = &riding.rgba[(size_t(520) * riding.width + 470) * 4];
	EXPECT_FALSE(middle[0] == 0 && middle[1] == 0 && middle[2] == 0x32);
}

TEST_F(BattleViewTest, LowHitPointsTintTheWholePictureRed) {
	AddEnemy(D3DXVECTOR3(-2000.0f, 0.0f, -2000.0f));
	for (int frame = 0; frame < 60; ++frame) {
		RunFrame();
	}
	const Frame healthy = ReadFrame();
	Save(healthy, "hud-full-health.png");
	Player().hitPoints = 60.0f;
	RunFrame();
	const Frame damaged = ReadFrame();
	Save(damaged, "hud-damage-tint.png");
	// The tint adds red and takes green and blue away everywhere.
	EXPECT_GT(damaged.MeanChannel(0), healthy.MeanChannel(0) + 10.0);
	EXPECT_LT(damaged.MeanChannel(1), healthy.MeanChannel(1) - 10.0);
	EXPECT_LT(damaged.MeanChannel(2), healthy.MeanChannel(2) - 10.0);
}

}  // namespace
