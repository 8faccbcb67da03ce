// The battle's draw on the offscreen device at 1280 x 720: the stage map,
// the lift and twenty outlined shadow casters (enemy parts from the model
// table) in front of the camera, as the enemies will draw them. Reports the
// median and 95th percentile of whole frames, and the phases one by one
// with the GPU drained after each.
//
//   bench_battle_draw [benchmark flags] [--shot=PATH.png]
// --shot writes one frame of the benchmarked scene before timing.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "player/MapCollision.h"
#include "render/ModelTable.h"
#include "render/StageObject.h"
#include "scene/CGame.h"
#include "scene/SceneManager.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int CASTER_COUNT = 20;
constexpr int FRAMES = 60;
// The robot stands this far in front of the lift, looking at it.
constexpr float ROBOT_DISTANCE_FROM_LIFT = 80.0f;
constexpr float VIEW_PITCH = 12.0f;
// Frames drawn before timing: the first ones compile and upload.
constexpr int WARM_UP_FRAMES = 3;
constexpr float ROBOT_HEIGHT_ABOVE_GROUND = 15.0f;
const int CASTER_SLOTS[] = {MODEL_WALKER_BODY,  MODEL_WALKER_LEFT_UPPER,  MODEL_WALKER_LEFT_LOWER,
                            MODEL_WALKER_RIGHT_UPPER, MODEL_WALKER_RIGHT_LOWER, MODEL_TURRET,
                            MODEL_TURRET_GUN,   MODEL_BOSS_MISSILE};

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
	return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> values, double fraction) {
	if (values.empty()) {
		return 0.0;
	}
	std::sort(values.begin(), values.end());
	const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
	return values[index];
}

// The battle scene with its stage, the camera and the shadow camera on a
// robot in front of the lift, and the casters on the ground around it.
class BattleBench {
public:
	bool Start() {
		setenv("SDL_VIDEODRIVER", "offscreen", 0);
		setenv("ALSOFT_DRIVERS", "null", 0);
		SetSystemBackend(&backend);
		Application& application = Application::Get();
		if (!application.CreateMainWindow(GetModuleHandleA(nullptr), 1280, 720) ||
		    !GraphicsDevice::Get().Init(application.window, 1280, 720, D3DFMT_X8R8G8B8, false)) {
			std::fprintf(stderr, "bench_battle_draw: no device\n");
			return false;
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
		PlaceRobotAndCasters();
		for (int frame = 0; frame < WARM_UP_FRAMES; ++frame) {
			DrawFrame(nullptr);
		}
		glFinish();
		return true;
	}

	void Stop() {
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

	// One battle frame, Clear to EndScene, with the casters where the
	// enemies draw. after(phase) runs after each of the five phases.
	void DrawFrame(const std::function<void(int)>& after) {
		game->BeginFrame();
		Finished(after, 0);
		game->BeginShadowPass();
		ShadowMap& shadowMap = Application::Get().shadowMap;
		for (const Caster& caster : casters) {
			shadowMap.SetWorld(caster.world);
			shadowMap.DrawModel(*caster.model);
		}
		game->EndShadowPass();
		Finished(after, 1);
		game->DrawMainPass();
		ModelShader& modelShader = Application::Get().modelShader;
		for (const Caster& caster : casters) {
			modelShader.SetWorld(caster.world);
			modelShader.DrawModel(*caster.model);
			modelShader.DrawOutline(*caster.model, ENEMY_OUTLINE_SIZE, ENEMY_OUTLINE_COLOR);
		}
		Finished(after, 2);
		game->DrawGlow();
		Finished(after, 3);
		game->DrawOverlay();
		Finished(after, 4);
	}

	// The scene as the game draws it now: map and lift only.
	void DrawStageOnly() { game->Draw(); }

	bool WriteShot(const std::string& path) {
		DrawFrame(nullptr);
		std::vector<uint8_t> rgba;
		UINT width = 0, height = 0;
		std::string why = "the back buffer could not be read";
		if (!ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height) ||
		    !WritePngFile(path, width, height, rgba.data(), why)) {
			std::fprintf(stderr, "bench_battle_draw: %s: %s\n", path.c_str(), why.c_str());
			return false;
		}
		return true;
	}

private:
	struct Caster {
		const Model* model;
		D3DXMATRIX world;
	};

	static void Finished(const std::function<void(int)>& after, int phase) {
		if (after) {
			after(phase);
		}
	}

	// The height of the ground under (x, z), from above the highest walls.
	float GroundAt(float x, float z) const {
		const RayCastResult down =
			CastRay(manager->map.model.mesh, manager->map.world, D3DXVECTOR3(x, 1000.0f, z), D3DXVECTOR3(0, -1, 0));
		return down.hit ? 1000.0f - down.distance : 0.0f;
	}

	void PlaceRobotAndCasters() {
		const StageObject& lift = *manager->stageObjects[0];
		const float x = lift.world._41;
		const float z = lift.world._43 - ROBOT_DISTANCE_FROM_LIFT;
		D3DXMatrixTranslation(&game->player.world, x, GroundAt(x, z) + ROBOT_HEIGHT_ABOVE_GROUND, z);
		game->player.pose.PlaceParts(game->player.world, game->player.aimPitch, game->player.plasmaArmAngle);
		for (int i = 0; i < CAMERA_HISTORY_LENGTH; ++i) {
			game->camera.PushHistory(game->player.world);
		}
		// Two files of ten either side of the way to the lift, inside the
		// shadow camera's box, leaving the lift in view.
		for (int i = 0; i < CASTER_COUNT; ++i) {
			const float side = i % 2 == 0 ? -1.0f : 1.0f;
			const float casterX = x + side * (22.0f + 12.0f * float((i / 2) % 2));
			const float casterZ = z + 12.0f + 9.0f * float(i / 4);
			D3DXMATRIX turn, place;
			D3DXMatrixRotationY(&turn, 0.6f * float(i));
			D3DXMatrixTranslation(&place, casterX, GroundAt(casterX, casterZ) + 6.0f, casterZ);
			const int slot = CASTER_SLOTS[size_t(i) % std::size(CASTER_SLOTS)];
			casters.push_back(Caster{&(*modelTable)[slot], turn * place});
		}
		// Looking a little down, as after raising the aim.
		Application::Get().viewPitch = VIEW_PITCH;
	}

	ScriptedSystemBackend backend;
	SceneManager* manager = nullptr;
	CGame* game = nullptr;
	std::vector<Caster> casters;
};

BattleBench* bench = nullptr;

const char* const PHASE_NAMES[5] = {"setup_ms", "shadow_ms", "main_ms", "glow_ms", "overlay_ms"};

void BM_BattleDraw(benchmark::State& state) {
	std::vector<double> frames;
	for (auto _ : state) {
		const Clock::time_point start = Clock::now();
		bench->DrawFrame(nullptr);
		glFinish();
		const double milliseconds = MillisecondsSince(start);
		frames.push_back(milliseconds);
		state.SetIterationTime(milliseconds / 1000.0);
	}
	state.counters["median_ms"] = Percentile(frames, 0.5);
	state.counters["p95_ms"] = Percentile(frames, 0.95);
}
BENCHMARK(BM_BattleDraw)->UseManualTime()->Iterations(FRAMES)->Unit(benchmark::kMillisecond);

// Each phase drained before the next starts, so its GPU work is its own.
void BM_BattleDrawPhases(benchmark::State& state) {
	std::array<std::vector<double>, 5> phases;
	for (auto _ : state) {
		const Clock::time_point frameStart = Clock::now();
		Clock::time_point phaseStart = frameStart;
		bench->DrawFrame([&](int phase) {
			glFinish();
			phases[size_t(phase)].push_back(MillisecondsSince(phaseStart));
			phaseStart = Clock::now();
		});
		state.SetIterationTime(MillisecondsSince(frameStart) / 1000.0);
	}
	for (size_t phase = 0; phase < phases.size(); ++phase) {
		state.counters[PHASE_NAMES[phase]] = Percentile(phases[phase], 0.5);
	}
}
BENCHMARK(BM_BattleDrawPhases)->UseManualTime()->Iterations(FRAMES)->Unit(benchmark::kMillisecond);

// What the battle draws today, without the characters.
void BM_BattleDrawStageOnly(benchmark::State& state) {
	std::vector<double> frames;
	for (auto _ : state) {
		const Clock::time_point start = Clock::now();
		bench->DrawStageOnly();
		glFinish();
		const double milliseconds = MillisecondsSince(start);
		frames.push_back(milliseconds);
		state.SetIterationTime(milliseconds / 1000.0);
	}
	state.counters["median_ms"] = Percentile(frames, 0.5);
	state.counters["p95_ms"] = Percentile(frames, 0.95);
}
BENCHMARK(BM_BattleDrawStageOnly)->UseManualTime()->Iterations(FRAMES)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
	benchmark::Initialize(&argc, argv);
	std::string shot;
	for (int i = 1; i < argc; ++i) {
		if (std::strncmp(argv[i], "--shot=", 7) == 0) {
			shot = argv[i] + 7;
		} else {
			std::fprintf(stderr, "bench_battle_draw: unknown argument %s\n", argv[i]);
			return 2;
		}
	}
	BattleBench battle;
	if (!battle.Start()) {
		return 1;
	}
	bench = &battle;
	int result = 0;
	if (!shot.empty() && !battle.WriteShot(shot)) {
		result = 1;
	}
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	battle.Stop();
	return result;
}
