// The battle at its heaviest: the robot in the boss's arena with the boss
// engaged and all seven walkers standing round it in firing range, until
// about a thousand red shots are in flight. Times the battle's update, and
// its whole draw (Draw, Present, the GPU drained) with the shots and with
// them set aside, on the offscreen device at 1280 x 720. Medians.
//
//   bench_battle_heavy [benchmark flags] [--shot=PATH.png]
// --shot writes the frame with the shots before timing.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "enemy/Boss_Tank.h"
#include "enemy/EnemyBase.h"
#include "enemy/Two_Leg.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "player/Ammo.h"
#include "player/MapCollision.h"
#include "scene/CGame.h"
#include "scene/SceneManager.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int FRAMES = 60;
constexpr size_t WANTED_SHOTS = 1000;
// Set-up gives up here, whatever the count, and says so.
constexpr int MAX_SET_UP_FRAMES = 4000;
// The robot stands in the arena this far west and south of the op, well
// inside its range; the walkers stand on an arc in front of the robot.
constexpr float ROBOT_OFFSET_X = -150.0f;
constexpr float ROBOT_OFFSET_Z = -100.0f;
constexpr float ROBOT_HEIGHT_ABOVE_GROUND = 15.0f;
constexpr float WALKER_RING_RADIUS = 90.0f;
constexpr float WALKER_ARC_FIRST = -1.3f;  // radians from the robot's +z
constexpr float WALKER_ARC_STEP = 0.3f;
constexpr float WALKER_DROP_HEIGHT = 20.0f;
constexpr int WARM_UP_FRAMES = 3;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadMilliseconds() {
	timespec now{};
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
	return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1.0e6;
}

double Median(std::vector<double> values) {
	if (values.empty()) {
		return 0.0;
	}
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}

class HeavyBattle {
public:
	bool Start() {
		setenv("SDL_VIDEODRIVER", "offscreen", 0);
		setenv("ALSOFT_DRIVERS", "null", 0);
		SetSystemBackend(&backend);
		Application& application = Application::Get();
		if (!application.CreateMainWindow(GetModuleHandleA(nullptr), 1280, 720) ||
		    !GraphicsDevice::Get().Init(application.window, 1280, 720, D3DFMT_X8R8G8B8, false)) {
			std::fprintf(stderr, "bench_battle_heavy: no device\n");
			return false;
		}
		GraphicsDevice::Get().SetDefaultStates();
		application.plainShader.Init();
		application.modelShader.Init();
		application.blurFilter.Init();
		application.shadowMap.Init();
		std::srand(1);
		manager = new SceneManager([](int32_t id) -> SceneBase* { return id == SCENE_GAME ? new CGame() : nullptr; });
		sceneManager = manager;
		manager->SwitchTo(SCENE_GAME);
		game = static_cast<CGame*>(manager->scene);
		if (!Arrange()) {
			return false;
		}
		FillTheAir();
		for (int frame = 0; frame < WARM_UP_FRAMES; ++frame) {
			DrawFrame();
		}
		glFinish();
		return true;
	}

	void Stop() {
		ShowShots();
		delete manager;
		sceneManager = nullptr;
		Application& application = Application::Get();
		application.plainShader.Release();
		application.modelShader.Release();
		application.blurFilter.Release();
		application.shadowMap.Release();
		GraphicsDevice::Get().Release();
		SetSystemBackend(nullptr);
	}

	// One battle update; the robot is kept alive, which is not what is timed.
	double TimedUpdate() {
		game->player.hitPoints = PLAYER_START_HIT_POINTS;
		const Clock::time_point start = Clock::now();
		game->Update();
		return MillisecondsSince(start);
	}

	void DrawFrame() {
		game->Draw();
		GraphicsDevice::Get().device->Present(nullptr, nullptr, nullptr, nullptr);
	}

	double TimedDraw() {
		const Clock::time_point start = Clock::now();
		DrawFrame();
		glFinish();
		return MillisecondsSince(start);
	}

	// Sets the enemies' shots aside, and gives them back, leaving the frame
	// otherwise as it was.
	void HideShots() {
		hidden.clear();
		for (EnemyBase* enemy : manager->enemies) {
			hidden.push_back(std::move(enemy->projectiles));
			enemy->projectiles.clear();
		}
	}

	void ShowShots() {
		for (size_t i = 0; i < hidden.size() && i < manager->enemies.size(); ++i) {
			manager->enemies[i]->projectiles = std::move(hidden[i]);
		}
		hidden.clear();
	}

	// Enemy shots still flying (the draw spends those at walls).
	size_t ShotsInFlight() const {
		size_t count = 0;
		for (const EnemyBase* enemy : manager->enemies) {
			for (const Ammo* shot : enemy->projectiles) {
				count += shot->active ? 1 : 0;
			}
		}
		return count;
	}

	size_t AttackingWalkers() const {
		size_t count = 0;
		for (const EnemyBase* enemy : manager->enemies) {
			count += dynamic_cast<const Two_Leg*>(enemy) != nullptr && enemy->attacking ? 1 : 0;
		}
		return count;
	}

	bool BossEngaged() const {
		for (const EnemyBase* enemy : manager->enemies) {
			if (dynamic_cast<const Boss_Tank*>(enemy) != nullptr) {
				return enemy->attacking;
			}
		}
		return false;
	}

	bool WriteShot(const std::string& path) {
		DrawFrame();
		std::vector<uint8_t> rgba;
		UINT width = 0, height = 0;
		std::string why = "the back buffer could not be read";
		if (!ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height) ||
		    !WritePngFile(path, width, height, rgba.data(), why)) {
			std::fprintf(stderr, "bench_battle_heavy: %s: %s\n", path.c_str(), why.c_str());
			return false;
		}
		return true;
	}

private:
	// The height of the ground under (x, z), from above the highest walls.
	float GroundAt(float x, float z) const {
		const RayCastResult down =
			CastRay(manager->map.model.mesh, manager->map.world, D3DXVECTOR3(x, 1000.0f, z), D3DXVECTOR3(0, -1, 0));
		return down.hit ? 1000.0f - down.distance : 0.0f;
	}

	bool Arrange() {
		const float x = BOSS_POSITION.x + ROBOT_OFFSET_X;
		const float z = BOSS_POSITION.z + ROBOT_OFFSET_Z;
		D3DXMatrixTranslation(&game->player.world, x, GroundAt(x, z) + ROBOT_HEIGHT_ABOVE_GROUND, z);
		game->player.pose.PlaceParts(game->player.world, game->player.aimPitch, game->player.plasmaArmAngle);
		for (int i = 0; i < CAMERA_HISTORY_LENGTH; ++i) {
			game->camera.PushHistory(game->player.world);
		}
		int placed = 0;
		for (EnemyBase* enemy : manager->enemies) {
			if (dynamic_cast<Two_Leg*>(enemy) == nullptr) {
				continue;
			}
			const float angle = WALKER_ARC_FIRST + WALKER_ARC_STEP * float(placed++);
			const float walkerX = x + WALKER_RING_RADIUS * std::sin(angle);
			const float walkerZ = z + WALKER_RING_RADIUS * std::cos(angle);
			// A bare translation, as the battle's spawn places them.
			D3DXMatrixTranslation(&enemy->world, walkerX, GroundAt(walkerX, walkerZ) + WALKER_DROP_HEIGHT, walkerZ);
		}
		if (placed != 7) {
			std::fprintf(stderr, "bench_battle_heavy: %d walkers, not 7\n", placed);
			return false;
		}
		return true;
	}

	// Frames as the game runs them, without the pictures: the update, and
	// the map test the enemies' draw gives each shot. The arena's walls spend
	// a shot within about 150 frames, so the stage's own rate of fire keeps
	// under 200 in the air; until a thousand fly, every attacking walker
	// also fires one more shot a frame from its muzzle.
	void FillTheAir() {
		int frame = 0;
		for (; frame < MAX_SET_UP_FRAMES && ShotsInFlight() < WANTED_SHOTS; ++frame) {
			game->player.hitPoints = PLAYER_START_HIT_POINTS;
			game->Update();
			for (EnemyBase* enemy : manager->enemies) {
				for (Ammo* shot : enemy->projectiles) {
					if (shot->active) {
						shot->TestMap();
					}
				}
				Two_Leg* walker = dynamic_cast<Two_Leg*>(enemy);
				if (walker != nullptr && walker->attacking) {
					Ammo* extra = new Ammo(AMMO_WALKER);
					extra->SetLaunchMatrix(walker->muzzle);
					walker->projectiles.push_back(extra);
				}
			}
		}
		std::fprintf(stderr, "bench_battle_heavy: after %d frames: %zu shots, %zu walkers attacking, boss %s\n", frame,
		             ShotsInFlight(), AttackingWalkers(), BossEngaged() ? "engaged" : "idle");
	}

	ScriptedSystemBackend backend;
	SceneManager* manager = nullptr;
	CGame* game = nullptr;
	std::vector<std::vector<Ammo*>> hidden;
};

HeavyBattle* battle = nullptr;

// Registered first: the update below moves the shots on.
// The same frame with and without the shots, in turns and in alternating
// order, so that the machine's other load falls on both alike. Wall time
// includes the rasterizer's threads; cpu is this thread's own (submission).
void BM_HeavyDraw(benchmark::State& state) {
	const double shots = double(battle->ShotsInFlight());
	std::vector<double> with, without, withCpu, withoutCpu;
	bool shotsFirst = true;
	for (auto _ : state) {
		for (int turn = 0; turn < 2; ++turn) {
			const bool drawShots = (turn == 0) == shotsFirst;
			if (!drawShots) {
				battle->HideShots();
			}
			const double cpuStart = ThreadMilliseconds();
			const double milliseconds = battle->TimedDraw();
			const double cpu = ThreadMilliseconds() - cpuStart;
			if (drawShots) {
				with.push_back(milliseconds);
				withCpu.push_back(cpu);
				state.SetIterationTime(milliseconds / 1000.0);
			} else {
				without.push_back(milliseconds);
				withoutCpu.push_back(cpu);
				battle->ShowShots();
			}
		}
		shotsFirst = !shotsFirst;
	}
	state.counters["shots"] = shots;
	state.counters["with_ms"] = Median(with);
	state.counters["without_ms"] = Median(without);
	state.counters["added_pct"] = 100.0 * (Median(with) / Median(without) - 1.0);
	state.counters["with_cpu_ms"] = Median(withCpu);
	state.counters["without_cpu_ms"] = Median(withoutCpu);
}
BENCHMARK(BM_HeavyDraw)->UseManualTime()->Iterations(FRAMES)->Unit(benchmark::kMillisecond);

// The CPU time of the update alone; the shots keep flying and being fired.
void BM_HeavyUpdate(benchmark::State& state) {
	std::vector<double> frames;
	for (auto _ : state) {
		const double milliseconds = battle->TimedUpdate();
		frames.push_back(milliseconds);
		state.SetIterationTime(milliseconds / 1000.0);
	}
	state.counters["median_ms"] = Median(frames);
	state.counters["shots"] = double(battle->ShotsInFlight());
}
BENCHMARK(BM_HeavyUpdate)->UseManualTime()->Iterations(FRAMES)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
	benchmark::Initialize(&argc, argv);
	std::string shot;
	for (int i = 1; i < argc; ++i) {
		if (std::strncmp(argv[i], "--shot=", 7) == 0) {
			shot = argv[i] + 7;
		} else {
			std::fprintf(stderr, "bench_battle_heavy: unknown argument %s\n", argv[i]);
			return 2;
		}
	}
	HeavyBattle heavy;
	if (!heavy.Start()) {
		return 1;
	}
	battle = &heavy;
	int result = 0;
	if (!shot.empty() && !heavy.WriteShot(shot)) {
		result = 1;
	}
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	heavy.Stop();
	return result;
}
