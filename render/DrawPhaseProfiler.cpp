#include "render/DrawPhaseProfiler.h"

#include "app/GraphicsDevice.h"
#include "platform/gpu/GpuHooks.h"

#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct ProfilerState {
	std::vector<DrawPhase> open;  // innermost last
	Clock::time_point lastEdge;
	DrawPhaseProfiler::Times times{};
};

ProfilerState& State() {
	static ProfilerState state;
	return state;
}

}  // namespace

void DrawPhaseProfiler::SetEnabled(bool on) {
	enabled = on;
	State() = ProfilerState{};
}

const char* DrawPhaseProfiler::NameOf(DrawPhase phase) {
	switch (phase) {
	case DrawPhase::Shadow: return "shadow";
	case DrawPhase::MainPass: return "mainPass";
	case DrawPhase::Glow: return "glow";
	case DrawPhase::Overlay: return "overlay";
	case DrawPhase::Effects: return "effects";
	case DrawPhase::Count: break;
	}
	return "?";
}

void DrawPhaseProfiler::Edge(DrawPhase phase, bool begins) {
	DrainDevice(GraphicsDevice::Get().device);
	ProfilerState& state = State();
	const Clock::time_point now = Clock::now();
	if (!state.open.empty()) {
		const size_t inner = static_cast<size_t>(state.open.back());
		state.times[inner] += std::chrono::duration<double, std::milli>(now - state.lastEdge).count();
	}
	state.lastEdge = now;
	if (begins) {
		state.open.push_back(phase);
	} else if (!state.open.empty() && state.open.back() == phase) {
		state.open.pop_back();
	}
}

DrawPhaseProfiler::Times DrawPhaseProfiler::TakeTimes() {
	ProfilerState& state = State();
	const Times taken = state.times;
	state.times = Times{};
	return taken;
}
