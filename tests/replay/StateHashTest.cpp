// The trace's hash covers the battle's state: in a real battle with a
// walker, the turret, shots in flight and the lift, changing any one of
// several fields changes the hash, and putting it back restores it. What
// depends on where the window stands is left out.

#include "app/StateHash.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "player/Ammo.h"
#include "render/StageObject.h"
#include "tests/player/PlayerTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

class StateHashTest : public player_test::BattleTest {
protected:
	void SetUp() override {
		BattleTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		walker = new Two_Leg();
		D3DXMatrixTranslation(&walker->world, -150.0f, 100.0f, 1420.0f);
		manager->enemies.push_back(walker);
		turret = new Turret();
		D3DXMatrixTranslation(&turret->world, 700.0f, 130.0f, 2166.0f);
		manager->enemies.push_back(turret);
		UpdateBattle(3);
		ASSERT_FALSE(manager->stageObjects.empty()) << "no lift";
		// In flight from here on; an update may spend and delete them.
		enemyShot = new Ammo(AMMO_WALKER);
		D3DXMatrixTranslation(&enemyShot->world, -150.0f, 70.0f, 1400.0f);
		walker->projectiles.push_back(enemyShot);
		playerShot = new Ammo(AMMO_PLAYER);
		D3DXMatrixTranslation(&playerShot->world, 0.0f, 10.0f, 40.0f);
		Player().shots.push_back(playerShot);
	}

	uint64_t Hash() const { return StateHash::OfBattle(*game); }

	// Sets field to changed, expects another hash, puts it back and expects
	// the first one again.
	template <typename Field>
	void ExpectCovered(const char* what, Field& field, const Field& changed) {
		const uint64_t before = Hash();
		const Field saved = field;
		field = changed;
		EXPECT_NE(Hash(), before) << what;
		field = saved;
		EXPECT_EQ(Hash(), before) << what;
	}

	Two_Leg* walker = nullptr;
	Turret* turret = nullptr;
	Ammo* enemyShot = nullptr;
	Ammo* playerShot = nullptr;
};

TEST_F(StateHashTest, EachPerturbedFieldChangesTheHashAndRestoringItRestoresTheHash) {
	ASSERT_EQ(Hash(), Hash()) << "the hash reads the state only";
	PlayerMech& robot = Player();
	ExpectCovered("robot hit points", robot.hitPoints, robot.hitPoints - 10.0f);
	ExpectCovered("robot world", robot.world._43, robot.world._43 + 0.001f);
	ExpectCovered("a part matrix", robot.pose.shinLeft._42, robot.pose.shinLeft._42 + 0.5f);
	ExpectCovered("the gun's cooldown", robot.fireCooldown, robot.fireCooldown + 1);
	ExpectCovered("vertical speed", robot.verticalSpeed, robot.verticalSpeed - 0.25f);
	ExpectCovered("plasma charge", robot.plasma.charge, robot.plasma.charge - 1);
	ExpectCovered("the robot's shot", playerShot->world._41, playerShot->world._41 + 1.0f);
	ExpectCovered("a walker's fire timer", walker->fireTimer, walker->fireTimer + 1);
	ExpectCovered("a walker's leg", walker->leftLower._43, walker->leftLower._43 + 1.0f);
	ExpectCovered("a walker's hit points", walker->hitPoints, walker->hitPoints - 5);
	ExpectCovered("the turret's beam timer", turret->beamTimer, turret->beamTimer + 1);
	ExpectCovered("the turret's cooldown", turret->gun.cooldown, turret->gun.cooldown - 1);
	ExpectCovered("an enemy shot's position", enemyShot->world._42, enemyShot->world._42 + 0.5f);
	ExpectCovered("an enemy shot's velocity", enemyShot->velocity.z, enemyShot->velocity.z + 0.1f);
	StageObject& lift = *manager->stageObjects.front();
	ExpectCovered("the lift's height", lift.world._42, lift.world._42 - 1.0f);
	ExpectCovered("the lift's counter", lift.frameCounter, lift.frameCounter + 1);
	ExpectCovered("the lift's start", lift.active, !lift.active);
	ExpectCovered("the camera's history", game->camera.history[4]._41, game->camera.history[4]._41 + 1.0f);
	ExpectCovered("the ending counter", game->endCounter, game->endCounter + 1);
}

TEST_F(StateHashTest, TheEnemiesOrderCountsAndTheCursorsDesktopPlaceDoesNot) {
	const uint64_t before = Hash();
	std::swap(manager->enemies[0], manager->enemies[1]);
	EXPECT_NE(Hash(), before);
	std::swap(manager->enemies[0], manager->enemies[1]);
	EXPECT_EQ(Hash(), before);

	// Where the window stands moves the cursor's resting point, not the game.
	Player().cursorCentre.x += 300;
	Player().cursorPos.y += 200;
	EXPECT_EQ(Hash(), before);

	// A spent shot still in the list is state too.
	enemyShot->active = false;
	EXPECT_NE(Hash(), before);
	enemyShot->active = true;
	EXPECT_EQ(Hash(), before);
}

TEST_F(StateHashTest, TheBattlesHashGoesIntoTheGamesAndFrameByFrameItMoves) {
	const uint64_t game1 = StateHash::OfGame();
	EXPECT_NE(game1, Hash()) << "the game's hash adds the scene around the battle's";
	Player().hitPoints -= 1.0f;
	EXPECT_NE(StateHash::OfGame(), game1);
	Player().hitPoints += 1.0f;
	EXPECT_EQ(StateHash::OfGame(), game1);
	EXPECT_EQ(StateHash::Hex(0x0123456789abcdefull), "0123456789abcdef");
	EXPECT_EQ(StateHash::Hex(0), "0000000000000000");

	// The shots fly and the camera trails: every frame a new state.
	enemyShot = playerShot = nullptr;
	uint64_t previous = Hash();
	for (int frame = 0; frame < 5; ++frame) {
		UpdateBattle();
		const uint64_t now = Hash();
		EXPECT_NE(now, previous) << "frame " << frame;
		previous = now;
	}
}

}  // namespace
