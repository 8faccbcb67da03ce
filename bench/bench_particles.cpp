// The particle runtime under the load of a heavy battle frame: about 60
// GameEffects from the game's own effect files, replayed as their owners
// replay them (per-frame thrusters, dust, smoke, trails and markers; hits,
// flashes and explosions every few frames), about 10,000 live particles.
// Update is measured without a device; Draw on the offscreen OpenGL device
// (llvmpipe here), each frame read back once so the GPU work is counted.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "effect/GameEffect.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/PlatformWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Owner {
	const char* file;
	int count;     // GameEffects of this file in the battle
	int interval;  // frames between plays (1: every frame)
	bool restart;  // played with Restart and drawn with DrawCurrent
};

// The player robot, seven walkers, the turret, the boss and three missiles, in
// the middle of a fight where explosions and hits follow each other closely.
const Owner BATTLE[] = {
	{"Boost_2", 2, 1, false},       {"Foot_Vernier", 2, 1, false},  {"Smoke", 1, 1, false},
	{"Flash", 1, 10, false},        {"Hit_SparkRed", 1, 8, false},  {"Hit_SparkBlue", 1, 6, true},
	{"Plasma_line", 2, 1, false},   {"PlasmaWind", 2, 1, false},    {"Plasma_Shot", 2, 60, true},
	{"Mist", 2, 30, false},         {"Bomb", 9, 3, false},          {"Hit_Bomb2", 8, 2, false},
	{"Red_Flash", 7, 8, false},     {"Damage_Smoke", 13, 1, false}, {"Hit_Bomb_Big", 1, 3, false},
	{"Blue_Raser", 1, 500, false},  {"Missile_Bomb", 1, 15, false}, {"Missile_Smoke", 3, 1, false},
	{"Red_Line", 2, 1, false},
};

class Battle {
public:
	Battle() {
		Application& application = Application::Get();
		application.clientWidth = 1280;
		application.clientHeight = 720;
		application.cameraEye = D3DXVECTOR3(0, 60, -260);
		application.cameraTarget = D3DXVECTOR3(0, 10, 0);
		for (const Owner& owner : BATTLE) {
			for (int i = 0; i < owner.count; ++i) {
				auto effect = std::make_unique<GameEffect>();
				effect->Load(std::string("data/Effect_data/") + owner.file + ".efk", "data/Effect_data/");
				const float spread = static_cast<float>(effects.size());
				effect->SetPosition(D3DXVECTOR3(std::fmod(spread * 37.0f, 300.0f) - 150.0f, 0.0f,
				                                std::fmod(spread * 53.0f, 200.0f) - 100.0f));
				effects.push_back({std::move(effect), &owner, static_cast<int>(effects.size())});
			}
		}
		for (int frame = 0; frame < 240; ++frame) {
			Frame();  // reach the steady state
		}
	}

	void Frame() {
		for (Entry& entry : effects) {
			if ((frame + entry.phase) % entry.owner->interval == 0) {
				if (entry.owner->restart) {
					entry.effect->Restart();
				} else if (entry.owner->interval >= 500) {
					entry.effect->PlayOriented(30.0f, 0.0f);
				} else {
					entry.effect->Play();
				}
			}
			entry.effect->Update();
		}
		++frame;
	}

	void Draw() {
		for (Entry& entry : effects) {
			if (entry.owner->restart || entry.owner->interval >= 500) {
				entry.effect->DrawCurrent();
			} else {
				entry.effect->Draw();
			}
		}
	}

	size_t Particles() const {
		size_t total = 0;
		for (const Entry& entry : effects) {
			total += entry.effect->GetManager()->GetTotalParticleCount();
		}
		return total;
	}
	size_t Effects() const { return effects.size(); }
	int DrawCalls() const {
		int calls = 0;
		for (const Entry& entry : effects) {
			calls += entry.effect->GetRenderer() != nullptr ? entry.effect->GetRenderer()->LastDrawCalls() : 0;
		}
		return calls;
	}

private:
	struct Entry {
		std::unique_ptr<GameEffect> effect;
		const Owner* owner;
		int phase;
	};
	std::vector<Entry> effects;
	int frame = 0;
};

void BM_UpdateBattleFrame(benchmark::State& state) {
	Battle battle;
	for (auto _ : state) {
		battle.Frame();
	}
	state.counters["effects"] = static_cast<double>(battle.Effects());
	state.counters["particles"] = static_cast<double>(battle.Particles());
}
BENCHMARK(BM_UpdateBattleFrame)->Unit(benchmark::kMillisecond);

// An offscreen window and the process-wide device, made once.
bool OpenDevice() {
	static bool opened = [] {
		setenv("SDL_VIDEODRIVER", "offscreen", 0);
		if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
			return false;
		}
		static PlatformWindow window;
		window.sdl = SDL_CreateWindow("bench", 0, 0, 1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
		window.clientWidth = 1280;
		window.clientHeight = 720;
		if (window.sdl == nullptr || !GraphicsDevice::Get().Init(&window, 1280, 720, D3DFMT_X8R8G8B8, false)) {
			return false;
		}
		GraphicsDevice::Get().SetDefaultStates();
		return true;
	}();
	return opened;
}

void ReadBack() {
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;
	ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height);
	benchmark::DoNotOptimize(rgba.data());
}

void BM_DrawBattleFrame(benchmark::State& state) {
	if (!OpenDevice()) {
		state.SkipWithError("no offscreen device");
		return;
	}
	Battle battle;
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	for (auto _ : state) {
		device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(30, 30, 40), 1.0f, 0);
		battle.Draw();
		ReadBack();
	}
	state.counters["particles"] = static_cast<double>(battle.Particles());
	state.counters["drawCalls"] = static_cast<double>(battle.DrawCalls());
}
BENCHMARK(BM_DrawBattleFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The clear and read-back alone, to subtract from the draw figure.
void BM_ClearAndReadBackOnly(benchmark::State& state) {
	if (!OpenDevice()) {
		state.SkipWithError("no offscreen device");
		return;
	}
	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	for (auto _ : state) {
		device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(30, 30, 40), 1.0f, 0);
		ReadBack();
	}
}
BENCHMARK(BM_ClearAndReadBackOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
