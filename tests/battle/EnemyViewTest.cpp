// The enemies as the player sees them over the robot's shoulder: walkers
// closing in and firing, a walker blown apart, the turret's charge and beam,
// the boss's gun, plasma and missiles, and the red fade of a lost battle.
// Each frame is read back and checked; with VORTANE_SHOT_DIR set the
// pictures are also written there as PNGs for review.

#include "enemy/Boss_Tank.h"
#include "enemy/Missile.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "player/Ammo.h"
#include "player/MapCollision.h"
#include "player/PlasmaLauncher.h"
#include "render/CharacterPixelScope.h"
#include "tests/player/PlayerTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace player_test;

namespace {

const D3DXVECTOR3 TURRET_SPAWN(700.0f, 130.0f, 2166.0f);
// The robot's origin rests this far above its floor.
constexpr float ROBOT_STANDING_HEIGHT = 15.0f;

struct Frame {
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;

	const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + size_t(x)) * 4]; }

	double MeanChannel(int channel) const {
		double sum = 0.0;
		for (size_t i = size_t(channel); i < rgba.size(); i += 4) {
			sum += rgba[i];
		}
		return sum / double(rgba.size() / 4);
	}
};

// A pixel rectangle, right and bottom exclusive.
struct Box {
	int left, top, right, bottom;
};

// Box of half-size radius around a point.
Box Around(float x, float y, int radius) {
	return Box{int(x) - radius, int(y) - radius, int(x) + radius + 1, int(y) + radius + 1};
}

int CountPixels(const Frame& frame, Box box, const std::function<bool(const uint8_t*)>& wanted) {
	box.left = std::max(box.left, 0);
	box.top = std::max(box.top, 0);
	box.right = std::min(box.right, int(frame.width));
	box.bottom = std::min(box.bottom, int(frame.height));
	int count = 0;
	for (int y = box.top; y < box.bottom; ++y) {
		for (int x = box.left; x < box.right; ++x) {
			count += wanted(frame.At(x, y)) ? 1 : 0;
		}
	}
	return count;
}

Box Whole(const Frame& frame) { return Box{0, 0, int(frame.width), int(frame.height)}; }

// The enemies' shots glow red at the rim and orange to yellow at the core.
bool IsShotColoured(const uint8_t* p) { return p[0] >= 200 && p[2] <= 150 && p[0] - p[2] >= 90; }
// The turret's charge and beam: bright blue to white.
bool IsBeamColoured(const uint8_t* p) { return p[2] >= 245 && p[1] >= 200; }
// Red without the shots' orange: the drop marker's line and the enemies' paint.
bool IsRed(const uint8_t* p) {
	return p[0] >= 200 && p[0] - p[1] >= 40 && p[0] - p[2] >= 40 && std::abs(p[1] - p[2]) <= 30;
}
// The blast's fire: near white with a warm cast.
bool IsFireColoured(const uint8_t* p) { return p[0] >= 250 && p[1] >= 200 && p[0] >= p[2]; }

// Pixels whose colour differs by more than threshold in some channel.
int CountChanged(const Frame& a, const Frame& b, Box box, int threshold = 24) {
	box.left = std::max(box.left, 0);
	box.top = std::max(box.top, 0);
	box.right = std::min(box.right, int(a.width));
	box.bottom = std::min(box.bottom, int(a.height));
	int count = 0;
	for (int y = box.top; y < box.bottom; ++y) {
		for (int x = box.left; x < box.right; ++x) {
			const uint8_t* p = a.At(x, y);
			const uint8_t* q = b.At(x, y);
			if (std::abs(p[0] - q[0]) > threshold || std::abs(p[1] - q[1]) > threshold ||
			    std::abs(p[2] - q[2]) > threshold) {
				++count;
			}
		}
	}
	return count;
}

class EnemyViewTest : public BattleTest {
protected:
	// One whole battle frame, update then draw, as the main loop runs it.
	void RunFrame(int frames = 1) {
		for (int i = 0; i < frames; ++i) {
			game->Update();
			game->Draw();
			backend.AdvanceFrame();
		}
	}

	Frame ReadFrame() {
		Frame frame;
		EXPECT_TRUE(ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, frame.rgba, frame.width, frame.height));
		return frame;
	}

	// The current state drawn again, without a new update: for a picture
	// taken with one thing hidden.
	Frame Redraw() {
		game->Draw();
		return ReadFrame();
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

	static float FloorUnder(float x, float z) {
		const RayCastResult floor = CastRayAtMap(D3DXVECTOR3(x, 1000.0f, z), D3DXVECTOR3(0.0f, -1.0f, 0.0f));
		EXPECT_TRUE(floor.hit) << "no floor under " << x << ", " << z;
		return 1000.0f - floor.distance;
	}

	// The robot standing on the floor at x, z, turned by yaw degrees from +z.
	void StandRobot(float x, float z, float yawDegrees) {
		PlaceRobot(D3DXVECTOR3(x, FloorUnder(x, z) + ROBOT_STANDING_HEIGHT, z));
		D3DXMATRIX turn;
		D3DXMatrixRotationY(&turn, yawDegrees * 0.017453292f);
		Player().world = turn * Player().world;
	}

	// As the battle places its walkers: a pure translation, resting on the floor.
	Two_Leg* AddWalker(float x, float z) {
		Two_Leg* walker = new Two_Leg();
		const float y = FloorUnder(x, z) + WALKER_GROUND_HEIGHT;
		D3DXMatrixTranslation(&walker->world, x, y, z);
		manager->enemies.push_back(walker);
		return walker;
	}

	// Where a world point lands in the last drawn frame, in pixels from the
	// top left; false when it lies behind the eye.
	static bool Project(const D3DXVECTOR3& point, const Frame& frame, float& x, float& y) {
		D3DXMATRIX view, projection;
		IDirect3DDevice9* device = GraphicsDevice::Get().device;
		device->GetTransform(D3DTS_VIEW, &view);
		device->GetTransform(D3DTS_PROJECTION, &projection);
		const D3DXMATRIX viewProjection = view * projection;
		D3DXVECTOR4 clip;
		D3DXVec3Transform(&clip, &point, &viewProjection);
		if (clip.w <= 0.0f) {
			return false;
		}
		x = (clip.x / clip.w + 1.0f) * 0.5f * float(frame.width);
		y = (1.0f - clip.y / clip.w) * 0.5f * float(frame.height);
		return true;
	}
};

TEST_F(EnemyViewTest, WalkersCloseInAndFireRedShotsWithMuzzleFlashes) {
	StandRobot(-165.0f, 1280.0f, 0.0f);
	// Two within firing range, one further back still walking up.
	Two_Leg* left = AddWalker(-160.0f, 1360.0f);
	Two_Leg* right = AddWalker(-125.0f, 1375.0f);
	Two_Leg* walking = AddWalker(-190.0f, 1480.0f);
	const float walkingStart = walking->world._43;
	// Both fire on their first frame and every 8th after: this is the fifth volley.
	RunFrame(33);
	ASSERT_TRUE(left->attacking && right->attacking);
	ASSERT_EQ(left->fireTimer, 1);
	ASSERT_TRUE(walking->walking && !walking->attacking);
	EXPECT_LT(walking->world._43, walkingStart - 5.0f);
	const Frame picture = ReadFrame();
	Save(picture, "walkers-firing.png");
	EXPECT_EQ(CountChanged(picture, Redraw(), Whole(picture)), 0) << "a redraw without changes must match";

	// The walker still closing in is drawn where it now stands.
	float x = 0.0f, y = 0.0f;
	ASSERT_TRUE(Project(walking->Position(), picture, x, y));
	manager->enemies.pop_back();
	const Frame withoutWalking = Redraw();
	manager->enemies.push_back(walking);
	EXPECT_GT(CountChanged(picture, withoutWalking, Around(x, y, 30)), 100);

	// The shots in flight are what makes the picture red and orange.
	std::vector<Ammo*> shots[2] = {left->projectiles, right->projectiles};
	ASSERT_GE(shots[0].size() + shots[1].size(), 8u);
	left->projectiles.clear();
	right->projectiles.clear();
	const Frame withoutShots = Redraw();
	EXPECT_GT(CountPixels(picture, Whole(picture), IsShotColoured),
	          CountPixels(withoutShots, Whole(picture), IsShotColoured) + 100);

	// The flashes light up both muzzles.
	left->muzzleFlash.Stop();
	right->muzzleFlash.Stop();
	const Frame withoutFlashes = Redraw();
	for (const Two_Leg* walker : {left, right}) {
		ASSERT_TRUE(Project(TranslationOf(walker->muzzle), picture, x, y));
		EXPECT_GT(CountChanged(withoutShots, withoutFlashes, Around(x, y, 12)), 20);
	}
	left->projectiles = shots[0];
	right->projectiles = shots[1];
}

// The timedemo's stage-only view: the walkers, their shots and flashes and
// their shadows all leave the picture, and what remains is exactly the
// battle drawn without them.
TEST_F(EnemyViewTest, TheStageOnlyViewIsTheBattleDrawnWithoutItsCharacters) {
	StandRobot(-165.0f, 1280.0f, 0.0f);
	AddWalker(-160.0f, 1360.0f);
	AddWalker(-125.0f, 1375.0f);
	RunFrame(33);
	const Frame full = ReadFrame();
	ASSERT_GT(CountPixels(full, Whole(full), IsShotColoured), 100) << "the walkers are firing";

	CharacterPixelScope::SetStageOnly(true);
	const Frame stageOnly = Redraw();
	CharacterPixelScope::SetStageOnly(false);
	std::vector<EnemyBase*> enemies;
	enemies.swap(manager->enemies);
	const Frame withoutEnemies = Redraw();
	enemies.swap(manager->enemies);

	EXPECT_GT(CountChanged(full, stageOnly, Whole(full)), 1000);
	EXPECT_EQ(CountChanged(stageOnly, withoutEnemies, Whole(full), 0), 0);
	EXPECT_EQ(CountChanged(full, Redraw(), Whole(full), 0), 0) << "the view is off again";
}

TEST_F(EnemyViewTest, AShotDownWalkerBurstsAndItsPartsFlyApart) {
	StandRobot(-165.0f, 1280.0f, 0.0f);
	// Just outside its firing range, walking up.
	Two_Leg* walker = AddWalker(-120.0f, 1420.0f);
	RunFrame(10);
	const Frame before = ReadFrame();
	const D3DXVECTOR3 headBefore = walker->Position();
	walker->hitPoints = 0;
	RunFrame(14);
	ASSERT_FALSE(walker->alive);
	const Frame picture = ReadFrame();
	Save(picture, "walker-death-debris.png");

	// Each leg part has flown up and is drawn where it flies: hiding the wreck
	// changes the picture there, above where the walker stood.
	const D3DXMATRIX* parts[] = {&walker->leftUpper, &walker->leftLower, &walker->rightUpper, &walker->rightLower};
	int partsSeen = 0;
	for (const D3DXMATRIX* part : parts) {
		EXPECT_GT(part->_42, headBefore.y + 5.0f);
	}
	const int savedTimer = walker->deathTimer;
	walker->deathTimer = WALKER_WRECK_FRAMES;
	const Frame withoutWreck = Redraw();
	walker->deathTimer = savedTimer;
	for (const D3DXMATRIX* part : parts) {
		float x = 0.0f, y = 0.0f;
		ASSERT_TRUE(Project(TranslationOf(*part), picture, x, y));
		partsSeen += CountChanged(picture, withoutWreck, Around(x, y, 6)) > 10 ? 1 : 0;
	}
	EXPECT_GE(partsSeen, 3);
	// Above the walker's head, where there was only wall before, the burst and
	// the debris now show.
	float x = 0.0f, y = 0.0f;
	ASSERT_TRUE(Project(headBefore + D3DXVECTOR3(0.0f, 15.0f, 0.0f), picture, x, y));
	EXPECT_GT(CountChanged(before, picture, Around(x, y, 25)), 400);
}

TEST_F(EnemyViewTest, TheTurretChargesThenFiresItsBeam) {
	Turret* turret = new Turret();
	D3DXMatrixTranslation(&turret->world, TURRET_SPAWN.x, TURRET_SPAWN.y, TURRET_SPAWN.z);
	manager->enemies.push_back(turret);
	// Level with the turret's origin on its floor, 250 away: it turns round
	// to face the robot and locks on.
	StandRobot(TURRET_SPAWN.x - 250.0f, TURRET_SPAWN.z, 90.0f);
	UpdateBattle();
	for (int frame = 0; frame < 200 && std::fabs(turret->aimAngle) > 4.0f; ++frame) {
		UpdateBattle();
	}
	Frame beforeLock;
	for (int frame = 0; frame < 10 && !turret->beamStarted; ++frame) {
		beforeLock = ReadFrame();
		RunFrame();
	}
	ASSERT_TRUE(turret->beamStarted);
	ASSERT_EQ(turret->beamTimer, 1);
	Save(beforeLock, "turret-aiming.png");
	// The charge sends out rings every 21 frames from its 22nd: one is
	// spreading now.
	RunFrame(86);
	ASSERT_EQ(turret->beamTimer, 87);
	const Frame charging = ReadFrame();
	Save(charging, "turret-charging.png");
	RunFrame(63);
	ASSERT_EQ(turret->beamTimer, 150);
	EXPECT_LT(Player().hitPoints, PLAYER_START_HIT_POINTS);
	const Frame beam = ReadFrame();
	Save(beam, "turret-beam.png");

	// The charge rings glow blue round the muzzle.
	float x = 0.0f, y = 0.0f;
	const D3DXVECTOR3 muzzle = TranslationOf(turret->gun.muzzle);
	ASSERT_TRUE(Project(muzzle, charging, x, y));
	const Box aroundMuzzle = Around(x, y, 60);
	EXPECT_GT(CountPixels(charging, aroundMuzzle, IsBeamColoured),
	          CountPixels(beforeLock, aroundMuzzle, IsBeamColoured) + 100);
	// The beam then fills the way from the muzzle to the robot.
	for (const float along : {0.25f, 0.5f, 0.75f}) {
		D3DXVECTOR3 point;
		const D3DXVECTOR3 robot = Player().Position();
		D3DXVec3Lerp(&point, &muzzle, &robot, along);
		ASSERT_TRUE(Project(point, beam, x, y));
		const Box onTheWay = Around(x, y, 20);
		EXPECT_GT(CountPixels(beam, onTheWay, IsBeamColoured), CountPixels(charging, onTheWay, IsBeamColoured) + 400)
			<< "at " << along << " of the way";
	}
}

class EnemyViewBossTest : public EnemyViewTest {
protected:
	void SetUp() override {
		EnemyViewTest::SetUp();
		if (IsSkipped() || HasFatalFailure()) {
			return;
		}
		boss = new Boss_Tank();
		manager->enemies.push_back(boss);
	}

	// The robot stands where the missile is to fall, within the boss's range,
	// for the one frame that launches it; then it walks off to x, z.
	Missile* LaunchMissileAt(float dropX, float dropZ, float thenX, float thenZ) {
		StandRobot(dropX, dropZ, 0.0f);
		boss->missileTimer = std::max(boss->hitPoints, 150);
		UpdateBattle();
		StandRobot(thenX, thenZ, 0.0f);
		for (EnemyBase* enemy : manager->enemies) {
			if (enemy->isMissile) {
				return static_cast<Missile*>(enemy);
			}
		}
		ADD_FAILURE() << "no missile launched";
		return nullptr;
	}

	// The climb cut short: the next frame is its last, where the missile
	// turns nose down to hang; it appears over its drop point 10 frames later.
	static void EndClimb(Missile& missile) {
		missile.phase = MISSILE_RISING;
		missile.phaseTimer = 199;
	}

	// The missile moved down its drop line to height above the floor.
	static void LowerTo(Missile& missile, float height) {
		missile.world._42 = FloorUnder(missile.world._41, missile.world._43) + height;
	}

	Boss_Tank* boss = nullptr;
};

TEST_F(EnemyViewBossTest, TheBossFiresItsGunAndPlasmaWhileAMissileDrops) {
	// The drop point lies to the right of the robot's view of the boss.
	Missile* missile = LaunchMissileAt(2070.0f, 1960.0f, 2000.0f, 1860.0f);
	ASSERT_NE(missile, nullptr);
	// The op turns round to face the robot while the missile climbs.
	UpdateBattle(100);
	ASSERT_TRUE(boss->attacking);
	ASSERT_LE(std::fabs(boss->aimAngle), 1.0f);
	EndClimb(*missile);
	boss->plasma.charge = PLASMA_FULL_CHARGE - 16;
	UpdateBattle(9);
	RunFrame();
	ASSERT_EQ(missile->phase, MISSILE_HANGING);
	const Frame beforeDrop = ReadFrame();
	RunFrame();
	ASSERT_EQ(missile->phase, MISSILE_DROPPING);
	ASSERT_NEAR(missile->world._42, -60.3f, 0.01f);
	// Further down its line, where the camera sees it.
	LowerTo(*missile, 60.0f);
	for (int frame = 0; frame < 30 && !boss->plasma.active; ++frame) {
		RunFrame();
	}
	ASSERT_TRUE(boss->plasma.active);
	RunFrame(10);
	ASSERT_TRUE(boss->plasma.active);
	ASSERT_TRUE(missile->alive);
	const Frame picture = ReadFrame();
	Save(picture, "boss-gun-plasma-missile.png");

	// The drop marker draws a red line from the missile down to the floor.
	float top = 0.0f, bottom = 0.0f, x = 0.0f, y = 0.0f;
	const D3DXVECTOR3 missileAt = missile->Position();
	ASSERT_TRUE(Project(missileAt, picture, x, top));
	ASSERT_TRUE(Project(D3DXVECTOR3(missileAt.x, FloorUnder(missileAt.x, missileAt.z), missileAt.z), picture, x, bottom));
	const Box dropLine{int(x) - 8, int(top), int(x) + 9, int(bottom)};
	EXPECT_GT(CountPixels(picture, dropLine, IsRed), CountPixels(beforeDrop, dropLine, IsRed) + 150);

	// The plasma shot is drawn where it flies.
	ASSERT_TRUE(Project(TranslationOf(boss->plasma.world), picture, x, y));
	boss->plasma.active = false;
	const Frame withoutPlasma = Redraw();
	boss->plasma.active = true;
	EXPECT_GT(CountChanged(picture, withoutPlasma, Around(x, y, 20)), 100);

	// The gun's stream of shots is what adds the orange.
	const std::vector<Ammo*> shots = boss->projectiles;
	ASSERT_GE(shots.size(), 20u);
	boss->projectiles.clear();
	const Frame withoutShots = Redraw();
	boss->projectiles = shots;
	EXPECT_GT(CountPixels(picture, Whole(picture), IsShotColoured),
	          CountPixels(withoutShots, Whole(picture), IsShotColoured) + 50);
}

TEST_F(EnemyViewBossTest, AMissileBlastsOnTheGround) {
	// The robot watches from out of the boss's range and the blast's reach.
	Missile* missile = LaunchMissileAt(2070.0f, 1960.0f, 2000.0f, 1830.0f);
	ASSERT_NE(missile, nullptr);
	UpdateBattle(20);
	EndClimb(*missile);
	UpdateBattle(11);
	ASSERT_EQ(missile->phase, MISSILE_DROPPING);
	// The last stretch of the drop: it blasts within 10 of the floor.
	LowerTo(*missile, 11.0f);
	const D3DXVECTOR3 blastAt = missile->Position();
	RunFrame(3);
	const Frame before = ReadFrame();
	for (int frame = 0; frame < 10 && missile->alive; ++frame) {
		RunFrame();
	}
	ASSERT_FALSE(missile->alive);
	RunFrame(12);
	EXPECT_EQ(Player().hitPoints, PLAYER_START_HIT_POINTS);
	const Frame picture = ReadFrame();
	Save(picture, "missile-blast.png");

	float x = 0.0f, y = 0.0f;
	ASSERT_TRUE(Project(blastAt, picture, x, y));
	const Box aroundBlast = Around(x, y, 60);
	EXPECT_GT(CountPixels(picture, aroundBlast, IsFireColoured), CountPixels(before, aroundBlast, IsFireColoured) + 1000);
}

TEST_F(EnemyViewTest, ALostBattleFadesToRed) {
	StandRobot(-165.0f, 1280.0f, 0.0f);
	// Out of its sight: it stands and keeps the battle open.
	AddWalker(-150.0f, 1600.0f);
	RunFrame(10);
	Frame previous = ReadFrame();
	Player().hitPoints = 0.0f;
	for (const char* name : {"failure-fade-begins.png", "failure-fade.png"}) {
		RunFrame(30);
		const Frame fading = ReadFrame();
		Save(fading, name);
		EXPECT_GT(fading.MeanChannel(0), previous.MeanChannel(0) + 10.0);
		EXPECT_LT(fading.MeanChannel(1), previous.MeanChannel(1) - 10.0);
		EXPECT_LT(fading.MeanChannel(2), previous.MeanChannel(2) - 10.0);
		previous = fading;
	}
}

}  // namespace
