// The battle scene on the real device: the stage it builds and tears down,
// its frame order with the endings and the return question, and what a
// drawn frame leaves bound.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "enemy/Boss_Tank.h"
#include "enemy/EnemyBase.h"
#include "enemy/Turret.h"
#include "enemy/Two_Leg.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "render/ModelTable.h"
#include "render/StageObject.h"
#include "scene/CGame.h"
#include "scene/SceneManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

ULONG ReferenceCount(IUnknown* object) {
	object->AddRef();
	return object->Release();
}

struct Picture {
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;

	bool Read(IDirect3DSurface9* surface) { return ReadRenderTargetPixels(surface, rgba, width, height); }
	const uint8_t* At(UINT x, UINT y) const { return &rgba[(size_t(y) * width + x) * 4]; }
	double MeanChannel(int channel) const {
		double sum = 0.0;
		for (size_t i = size_t(channel); i < rgba.size(); i += 4) {
			sum += rgba[i];
		}
		return sum / double(rgba.size() / 4);
	}
	int BrightPixels(int threshold) const {
		int count = 0;
		for (size_t i = 0; i < rgba.size(); i += 4) {
			count += (rgba[i] + rgba[i + 1] + rgba[i + 2]) > threshold ? 1 : 0;
		}
		return count;
	}
};

class BattleSceneTest : public ::testing::Test {
protected:
	void SetUp() override {
		SetSystemBackend(&backend);
		Application& application = Application::Get();
		ASSERT_TRUE(application.CreateMainWindow(GetModuleHandleA(nullptr), 1280, 720));
		if (!GraphicsDevice::Get().Init(application.window, application.clientWidth, application.clientHeight,
		                                D3DFMT_X8R8G8B8, false)) {
			GTEST_SKIP() << "no OpenGL 3.3 device here";
		}
		GraphicsDevice::Get().SetDefaultStates();
		application.plainShader.Init();
		application.modelShader.Init();
		application.blurFilter.Init();
		application.shadowMap.Init();
		// Only the battle: the title and result scenes stay out of the way.
		manager = new SceneManager([](int32_t id) -> SceneBase* { return id == SCENE_GAME ? new CGame() : nullptr; });
		sceneManager = manager;
	}

	void TearDown() override {
		delete manager;
		sceneManager = nullptr;
		Application& application = Application::Get();
		application.plainShader.Release();
		application.modelShader.Release();
		application.blurFilter.Release();
		application.shadowMap.Release();
		GraphicsDevice::Get().Release();
		DestroyWindow(application.window);
		UnregisterClassA("Window", nullptr);
		application.window = nullptr;
		SetSystemBackend(nullptr);
	}

	CGame& StartBattle() {
		manager->SwitchTo(SCENE_GAME);
		return *static_cast<CGame*>(manager->scene);
	}

	// As if every enemy had just been destroyed and removed.
	void ClearEnemies() {
		for (EnemyBase* enemy : manager->enemies) {
			delete enemy;
		}
		manager->enemies.clear();
	}

	ScriptedSystemBackend backend;
	SceneManager* manager = nullptr;
};

TEST_F(BattleSceneTest, InitBuildsTheStageAndResetsTheOutcomeAndTheView) {
	Application& application = Application::Get();
	application.battleFailed = true;
	application.viewPitch = 12.0f;
	application.viewYaw = 40.0f;
	CGame& game = StartBattle();

	EXPECT_EQ(game.id, SCENE_GAME);
	EXPECT_FALSE(application.battleFailed);
	EXPECT_EQ(application.viewPitch, 0.0f);
	EXPECT_EQ(application.viewYaw, 0.0f);
	ASSERT_NE(modelTable, nullptr);
	EXPECT_FALSE((*modelTable)[MODEL_ROBOT_BODY].IsEmpty());
	EXPECT_FALSE((*modelTable)[MODEL_RED_AMMO].IsEmpty());
	EXPECT_TRUE((*modelTable)[MODEL_UNUSED].IsEmpty());

	ID3DXMesh* map = manager->map.model.mesh;
	ASSERT_NE(map, nullptr);
	EXPECT_EQ(map->GetNumBytesPerVertex(), 32u);
	EXPECT_EQ(manager->mapNormals.size(), size_t(map->GetNumFaces()));
	EXPECT_FLOAT_EQ(manager->map.world._22, 5.0f);

	ASSERT_EQ(manager->stageObjects.size(), 1u);
	const StageObject& lift = *manager->stageObjects[0];
	EXPECT_FALSE(lift.model.IsEmpty());
	EXPECT_EQ(D3DXVECTOR3(lift.world._41, lift.world._42, lift.world._43), D3DXVECTOR3(815.0f, 105.0f, 2158.0f));
	EXPECT_FALSE(lift.active);

	D3DLIGHT9 light;
	GraphicsDevice::Get().GetLight(&light, 0);
	EXPECT_NEAR(light.Direction.x, 1.0f / 3.0f, 1e-5f);
	EXPECT_NEAR(light.Direction.y, -2.0f / 3.0f, 1e-5f);
	EXPECT_NEAR(light.Direction.z, 2.0f / 3.0f, 1e-5f);
	EXPECT_FLOAT_EQ(light.Ambient.g, 0.3f);
	EXPECT_FLOAT_EQ(light.Ambient.a, 0.0f);
	D3DXMATRIX projection, expected;
	GraphicsDevice::Get().device->GetTransform(D3DTS_PROJECTION, &projection);
	D3DXMatrixPerspectiveFovLH(&expected, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
	for (int i = 0; i < 16; ++i) {
		EXPECT_FLOAT_EQ((&projection._11)[i], (&expected._11)[i]) << i;
	}

	EXPECT_EQ(game.screenTarget.imageInfo.Width, 1280u);
	EXPECT_EQ(game.screenTarget.imageInfo.Height, 720u);
	EXPECT_EQ(game.fadeTexture.imageInfo.Width, 1u);
	EXPECT_FALSE(game.backTexture.IsEmpty());
	EXPECT_EQ(game.endCounter, 0);
	EXPECT_EQ(game.fadeAlpha, 0);
	EXPECT_FALSE(game.ending);
}

// The spawn table replayed with the C generator: walkers' x and z in the
// order they are drawn, then the turret and the boss.
struct Spawn {
	const char* kind;
	float x, z;
};

std::vector<Spawn> ExpectedSpawns() {
	std::vector<Spawn> spawns;
	for (int i = 0; i < 2; ++i) {
		const float x = float(std::rand() % 50) - 190.0f;
		const float z = float(std::rand() % 50) + 1401.0f;
		spawns.push_back({"walker", x, z});
	}
	for (int i = 0; i < 3; ++i) {
		spawns.push_back({"walker", float(std::rand() % 200) - 285.0f, 2000.0f});
	}
	for (int i = 0; i < 2; ++i) {
		spawns.push_back({"walker", float(std::rand() % 100) - 235.0f, 2150.0f});
	}
	spawns.push_back({"turret", 700.0f, 2166.0f});
	spawns.push_back({"boss", 2000.0f, 2150.0f});
	return spawns;
}

void ExpectStage(const std::vector<EnemyBase*>& enemies, const std::vector<Spawn>& expected) {
	ASSERT_EQ(enemies.size(), expected.size());
	for (size_t i = 0; i < enemies.size(); ++i) {
		const EnemyBase& enemy = *enemies[i];
		const std::string kind = expected[i].kind;
		EXPECT_EQ(dynamic_cast<const Two_Leg*>(&enemy) != nullptr, kind == "walker") << i;
		EXPECT_EQ(dynamic_cast<const Turret*>(&enemy) != nullptr, kind == "turret") << i;
		EXPECT_EQ(dynamic_cast<const Boss_Tank*>(&enemy) != nullptr, kind == "boss") << i;
		// One step before the first frame: a fall, and walkers that overlap
		// push apart by at most a quarter unit.
		EXPECT_NEAR(enemy.world._41, expected[i].x, 0.3f) << i;
		EXPECT_NEAR(enemy.world._43, expected[i].z, 0.3f) << i;
		EXPECT_TRUE(enemy.alive) << i;
	}
}

TEST_F(BattleSceneTest, TheStageSpawnsSevenWalkersTheTurretAndTheBossInTableOrder) {
	std::srand(20261208);
	const std::vector<Spawn> first = ExpectedSpawns();
	std::srand(20261208);
	StartBattle();
	ExpectStage(manager->enemies, first);
	// Each enemy took its first step in Init: the walkers fell from 100 or 150.
	EXPECT_LT(manager->enemies[0]->world._42, 100.0f);
	EXPECT_LT(manager->enemies[6]->world._42, 150.0f);

	// A second battle draws on from where the generator is, not reseeded.
	manager->SwitchTo(SCENE_RESULT);
	const unsigned int next = unsigned(std::rand());
	std::srand(20261208);
	ExpectedSpawns();
	ASSERT_EQ(unsigned(std::rand()), next) << "the first battle drew more than its spawn table";
	std::srand(20261208);
	ExpectedSpawns();
	const std::vector<Spawn> second = ExpectedSpawns();
	std::srand(20261208);
	ExpectedSpawns();
	StartBattle();
	ExpectStage(manager->enemies, second);
}

TEST_F(BattleSceneTest, UninitEmptiesTheWorldAndASecondBattleFillsItAgain) {
	StartBattle();
	const size_t normals = manager->mapNormals.size();
	ASSERT_GT(normals, 0u);
	// Leaving for a scene this manager does not make runs the battle's Uninit.
	manager->SwitchTo(SCENE_RESULT);
	EXPECT_EQ(manager->scene, nullptr);
	EXPECT_EQ(modelTable, nullptr);
	EXPECT_TRUE(manager->enemies.empty());
	EXPECT_TRUE(manager->stageObjects.empty());
	EXPECT_TRUE(manager->mapNormals.empty());
	EXPECT_EQ(manager->map.model.mesh, nullptr);

	StartBattle();
	EXPECT_NE(modelTable, nullptr);
	EXPECT_EQ(manager->stageObjects.size(), 1u);
	EXPECT_EQ(manager->mapNormals.size(), normals);
	EXPECT_NE(manager->map.model.mesh, nullptr);
}

TEST_F(BattleSceneTest, WithNoEnemyLeftTheSuccessEndingSwitchesToTheResultAfter120Updates) {
	CGame& game = StartBattle();
	ClearEnemies();
	Application& application = Application::Get();
	for (int update = 1; update < ENDING_FRAMES; ++update) {
		// The success test runs every frame and clears a failure set meanwhile.
		application.battleFailed = true;
		ASSERT_EQ(game.Update(), SCENE_GAME) << "update " << update;
		EXPECT_FALSE(application.battleFailed);
		EXPECT_TRUE(game.ending);
		EXPECT_EQ(game.endCounter, update);
	}
	// The last battle frame drawn shows the overlay at 238.
	EXPECT_EQ(game.fadeAlpha, 238);
	EXPECT_EQ(game.Update(), SCENE_RESULT);
	EXPECT_EQ(game.endCounter, ENDING_FRAMES);
	EXPECT_EQ(game.fadeAlpha, 240);
	EXPECT_FALSE(application.battleFailed);
}

TEST_F(BattleSceneTest, TheLiftMovesOnceActiveWhileAtMostOneEnemyIsLeft) {
	CGame& game = StartBattle();
	ClearEnemies();
	StageObject& lift = *manager->stageObjects[0];
	game.Update();
	EXPECT_FLOAT_EQ(lift.world._42, 105.0f);
	lift.active = true;
	for (int update = 0; update < 4; ++update) {
		game.Update();
	}
	// Two still frames while it turns, then down by half a unit a frame.
	EXPECT_FLOAT_EQ(lift.world._42, 104.0f);
}

TEST_F(BattleSceneTest, EscapeAsksWhetherToReturnAndOnlyYesLeaves) {
	CGame& game = StartBattle();
	backend.SetKey(0, VK_ESCAPE, true);
	backend.QueueAnswer(IDNO);
	EXPECT_EQ(game.Update(), SCENE_GAME);
	ASSERT_EQ(backend.Questions().size(), 1u);
	const ScriptedSystemBackend::Question& question = backend.Questions()[0];
	EXPECT_EQ(question.text, "タイトルに戻りますか？");
	EXPECT_EQ(question.caption, "確認");
	EXPECT_EQ(question.type, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST));

	// Yes leaves for the title at once, the battle torn down in the switch.
	backend.QueueAnswer(IDYES);
	manager->Update();
	EXPECT_EQ(backend.Questions().size(), 2u);
	EXPECT_EQ(manager->scene, nullptr);
	EXPECT_EQ(modelTable, nullptr);
	EXPECT_TRUE(manager->stageObjects.empty());
	EXPECT_TRUE(manager->mapNormals.empty());
}

TEST_F(BattleSceneTest, WithoutEscapeNothingIsAsked) {
	CGame& game = StartBattle();
	for (int update = 0; update < 3; ++update) {
		game.Update();
	}
	EXPECT_TRUE(backend.Questions().empty());
}

TEST_F(BattleSceneTest, AFrameLeavesTheBackBufferBoundAndNoExtraReferences) {
	CGame& game = StartBattle();
	Application& application = Application::Get();
	GraphicsDevice& graphics = GraphicsDevice::Get();
	IDirect3DDevice9* device = graphics.device;
	IDirect3DSurface9* depthBefore = nullptr;
	ASSERT_EQ(device->GetDepthStencilSurface(&depthBefore), S_OK);
	const ULONG depthCount = depthBefore->Release();
	const ULONG backBufferCount = ReferenceCount(graphics.backBuffer);
	const ULONG glowCount = ReferenceCount(game.screenTarget.surface);

	game.Draw();
	game.Update();
	game.Draw();

	IDirect3DSurface9* target = nullptr;
	ASSERT_EQ(device->GetRenderTarget(0, &target), S_OK);
	EXPECT_EQ(target, graphics.backBuffer);
	SafeRelease(target);
	for (DWORD index = 1; index <= 3; ++index) {
		device->GetRenderTarget(index, &target);
		EXPECT_EQ(target, nullptr) << "render target " << index;
		SafeRelease(target);
	}
	IDirect3DSurface9* depthAfter = nullptr;
	ASSERT_EQ(device->GetDepthStencilSurface(&depthAfter), S_OK);
	EXPECT_EQ(depthAfter, depthBefore);
	EXPECT_EQ(depthAfter->Release(), depthCount);
	EXPECT_EQ(ReferenceCount(graphics.backBuffer), backBufferCount);
	EXPECT_EQ(ReferenceCount(game.screenTarget.surface), glowCount);
	EXPECT_EQ(application.shadowMap.savedRenderTarget, nullptr);
	EXPECT_EQ(application.shadowMap.savedDepthSurface, nullptr);
	// Ordinary blending is back for whatever draws next.
	DWORD destination = 0;
	device->GetRenderState(D3DRS_DESTBLEND, &destination);
	EXPECT_EQ(destination, DWORD(D3DBLEND_INVSRCALPHA));
}

TEST_F(BattleSceneTest, TheFirstFrameShowsTheMapFromTheStartPoseAndFillsTheGlowImage) {
	CGame& game = StartBattle();
	game.Draw();
	const Application& application = Application::Get();
	EXPECT_EQ(application.cameraEye, D3DXVECTOR3(8.0f, 5.0f, -20.0f));
	EXPECT_EQ(application.cameraTarget, D3DXVECTOR3(0.0f, 0.0f, 60.0f));
	D3DXMATRIX view;
	GraphicsDevice::Get().device->GetTransform(D3DTS_VIEW, &view);
	EXPECT_EQ(std::memcmp(&view, &game.camera.view, sizeof(view)), 0);

	Picture picture;
	ASSERT_TRUE(picture.Read(GraphicsDevice::Get().backBuffer));
	ASSERT_EQ(picture.width, 1280u);
	// The floor ahead of the robot is drawn over the dark blue clear.
	const uint8_t* floor = picture.At(640, 500);
	EXPECT_GT(floor[0] + floor[1] + floor[2], 150);
	// The glow image received the bright parts of the main pass.
	Picture glow;
	ASSERT_TRUE(glow.Read(game.screenTarget.surface));
	EXPECT_GT(glow.BrightPixels(150), 100);
	EXPECT_LT(glow.BrightPixels(150), int(glow.width * glow.height / 2));
}

TEST_F(BattleSceneTest, TheEndingOverlayDarkensTheFrameBlackOnSuccessAndRedOnFailure) {
	CGame& game = StartBattle();
	game.Draw();
	Picture plain;
	ASSERT_TRUE(plain.Read(GraphicsDevice::Get().backBuffer));

	game.ending = true;
	game.fadeAlpha = 238;
	game.Draw();
	Picture black;
	ASSERT_TRUE(black.Read(GraphicsDevice::Get().backBuffer));
	for (int channel = 0; channel < 3; ++channel) {
		EXPECT_LT(black.MeanChannel(channel), plain.MeanChannel(channel) * 0.1 + 1.0) << channel;
	}

	game.fadeTexture.Fill(0xFFFF0000, 0);
	game.fadeAlpha = 255;
	game.Draw();
	Picture red;
	ASSERT_TRUE(red.Read(GraphicsDevice::Get().backBuffer));
	EXPECT_GT(red.MeanChannel(0), 250.0);
	EXPECT_LT(red.MeanChannel(1), 5.0);
	EXPECT_LT(red.MeanChannel(2), 5.0);
}

}  // namespace
