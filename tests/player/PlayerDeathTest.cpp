// Death: a hit below zero stands until the next update clamps it; from then
// on the robot is frozen while the battle fades to red and ends.

#include "app/Application.h"
#include "player/Ammo.h"
#include "tests/player/PlayerTestSupport.h"

#include <cstring>
#include <memory>

using namespace player_test;

namespace {

// The battle's frames from the deciding one to the result scene.
constexpr int ENDING_FRAMES = 120;

class PlayerDeathTest : public BattleTest {
protected:
	// An enemy shot arriving at the robot.
	void ShootRobot() {
		auto shot = std::make_unique<Ammo>(AMMO_WALKER);
		const D3DXVECTOR3 at = Player().Position();
		D3DXMATRIX launch;
		shot->SetLaunchMatrix(*D3DXMatrixTranslation(&launch, at.x, at.y, at.z));
		shot->HitPlayer(Player());
		EXPECT_FALSE(shot->active);
	}

	D3DCOLOR FadeColour() {
		D3DLOCKED_RECT locked{};
		if (game->fadeTexture.texture == nullptr ||
		    FAILED(game->fadeTexture.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
			ADD_FAILURE() << "the fade texture cannot be read";
			return 0;
		}
		D3DCOLOR colour = 0;
		std::memcpy(&colour, locked.pBits, sizeof(colour));
		game->fadeTexture.texture->UnlockRect(0);
		return colour;
	}
};

TEST_F(PlayerDeathTest, AHitBelowZeroStandsUntilTheNextUpdateClampsItAndFreezesTheRobot) {
	// An enemy keeps the battle from being won meanwhile.
	AddEnemy(D3DXVECTOR3(0.0f, 0.0f, -60.0f));
	UpdateBattle(30);
	Player().hitPoints = 0.5f;
	ShootRobot();
	EXPECT_EQ(Player().hitPoints, -9.5f);

	const D3DXMATRIX world = Player().world;
	const D3DXMATRIX thigh = Player().pose.thighLeft;
	const float yaw = Player().yaw;
	const float aimPitch = Player().aimPitch;
	Press('W');
	Press(VK_LBUTTON);
	for (int frame = 0; frame < 30; ++frame) {
		MoveCursor(70, -35);
		UpdateBattle();
		ASSERT_EQ(Player().hitPoints, 0.0f);
	}
	EXPECT_EQ(Player().world, world);
	EXPECT_EQ(Player().pose.thighLeft, thigh);
	EXPECT_EQ(Player().yaw, yaw);
	EXPECT_EQ(Player().aimPitch, aimPitch);
	EXPECT_TRUE(Player().shots.empty());
	// Still at rest: neither gravity nor a stray step ran.
	EXPECT_EQ(Player().verticalSpeed, 0.0f);
}

TEST_F(PlayerDeathTest, DeathFadesTheBattleToRedAndGoesToTheResultAfter120Frames) {
	AddEnemy(D3DXVECTOR3(0.0f, 0.0f, -60.0f));
	UpdateBattle(30);
	ASSERT_FALSE(game->ending);
	EXPECT_EQ(FadeColour(), D3DCOLOR(0xFF000000));

	Player().hitPoints = 0.5f;
	ShootRobot();
	// The deciding frame.
	ASSERT_EQ(UpdateBattle(), SCENE_GAME);
	EXPECT_TRUE(game->ending);
	EXPECT_TRUE(Application::Get().battleFailed);
	EXPECT_EQ(FadeColour(), D3DCOLOR(0xFFFF0000));

	EXPECT_EQ(UpdateBattle(ENDING_FRAMES - 1), SCENE_GAME);
	EXPECT_EQ(UpdateBattle(), SCENE_RESULT);
	EXPECT_TRUE(Application::Get().battleFailed);
}

}  // namespace
