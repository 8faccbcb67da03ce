#pragma once
// A real battle on the offscreen device, for the robot, its weapons, the HUD
// and the enemy base: the generated stage map with its face normals, the
// lift, the model table, and input from a scripted backend whose frames the
// tests advance themselves. StillEnemy is the smallest enemy a test can
// place: it stands where it is put and records the hits it takes.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "enemy/EnemyBase.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "player/PlayerMech.h"
#include "scene/CGame.h"
#include "scene/SceneManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace player_test {

// The largest element difference of two matrices.
inline float MaxDifference(const D3DXMATRIX& a, const D3DXMATRIX& b) {
	float largest = 0.0f;
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 4; ++column) {
			largest = std::max(largest, std::fabs(a.m[row][column] - b.m[row][column]));
		}
	}
	return largest;
}

// child in the frame of parent: the local matrix that child = local x parent.
inline D3DXMATRIX RelativeTo(const D3DXMATRIX& child, const D3DXMATRIX& parent) {
	D3DXMATRIX inverse;
	D3DXMatrixInverse(&inverse, nullptr, &parent);
	return child * inverse;
}

class StillEnemy : public EnemyBase {
public:
	explicit StillEnemy(const D3DXVECTOR3& position) {
		Init();
		SetPosition(position);
		// Its part spheres sit far away unless a test moves them.
		D3DXMatrixTranslation(&partMatrixA, 0.0f, -10000.0f, 0.0f);
		D3DXMatrixTranslation(&partMatrixB, 0.0f, -10000.0f, 0.0f);
	}
	~StillEnemy() override { ReleaseResources(); }

	void Update(PlayerMech&) override {}
	void OnHit(const D3DXVECTOR3& point) override { hits.push_back(point); }

	std::vector<D3DXVECTOR3> hits;
};

class BattleTest : public ::testing::Test {
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
		manager = new SceneManager([](int32_t id) -> SceneBase* { return id == SCENE_GAME ? new CGame() : nullptr; });
		sceneManager = manager;
		manager->SwitchTo(SCENE_GAME);
		game = static_cast<CGame*>(manager->scene);
		// Tests place the enemies they need on an otherwise empty stage.
		for (EnemyBase* enemy : manager->enemies) {
			delete enemy;
		}
		manager->enemies.clear();
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

	PlayerMech& Player() { return game->player; }

	// One robot update with this frame's scripted input, then the next frame.
	void StepPlayer(int frames = 1) {
		for (int i = 0; i < frames; ++i) {
			Player().Update();
			backend.AdvanceFrame();
		}
	}

	// Whole battle frames as the scene runs them: enemies, the lift while at
	// most one enemy is left, then the robot. Returns the last frame's scene.
	int32_t UpdateBattle(int frames = 1) {
		int32_t next = SCENE_GAME;
		for (int i = 0; i < frames; ++i) {
			next = game->Update();
			backend.AdvanceFrame();
		}
		return next;
	}

	// Cursor motion in pixels, seen by the current frame's update.
	void MoveCursor(int dx, int dy) { backend.MoveCursor(backend.Frame(), dx, dy); }

	// Holds or releases a key or button from the current frame on.
	void Press(int virtualKey) { backend.SetKey(backend.Frame(), virtualKey, true); }
	void Lift(int virtualKey) { backend.SetKey(backend.Frame(), virtualKey, false); }

	// Puts the robot at position, standing still, facing +z.
	void PlaceRobot(const D3DXVECTOR3& position) {
		D3DXMatrixTranslation(&Player().world, position.x, position.y, position.z);
		Player().verticalSpeed = 0.0f;
	}

	// Adds an enemy the battle owns from now on.
	StillEnemy& AddEnemy(const D3DXVECTOR3& position) {
		StillEnemy* enemy = new StillEnemy(position);
		manager->enemies.push_back(enemy);
		return *enemy;
	}

	ScriptedSystemBackend backend;
	SceneManager* manager = nullptr;
	CGame* game = nullptr;
};

}  // namespace player_test
