#pragma once
// Where a battle picture's time goes, for the timedemo. While on, every phase
// edge drains the device, so the time between two edges is the work of the
// phase inside them; a phase begun inside another (effects inside the main
// pass) takes its time out of the outer one. Off, as in the game, each edge
// costs one branch.

#include <array>
#include <cstddef>

enum class DrawPhase { Shadow, MainPass, Glow, Overlay, Effects, Count };

class DrawPhaseProfiler {
public:
	static constexpr size_t PHASE_COUNT = static_cast<size_t>(DrawPhase::Count);
	using Times = std::array<double, PHASE_COUNT>;

	static void SetEnabled(bool enabled);
	static bool Enabled() { return enabled; }
	static const char* NameOf(DrawPhase phase);

	static void Begin(DrawPhase phase) {
		if (enabled) {
			Edge(phase, true);
		}
	}
	static void End(DrawPhase phase) {
		if (enabled) {
			Edge(phase, false);
		}
	}

	// Milliseconds each phase took since the last call; starts over.
	static Times TakeTimes();

private:
	static void Edge(DrawPhase phase, bool begins);

	static inline bool enabled = false;
};

// Times one phase for the length of a scope.
class DrawPhaseScope {
public:
	explicit DrawPhaseScope(DrawPhase phase) : phase(phase) { DrawPhaseProfiler::Begin(phase); }
	~DrawPhaseScope() { DrawPhaseProfiler::End(phase); }
	DrawPhaseScope(const DrawPhaseScope&) = delete;
	DrawPhaseScope& operator=(const DrawPhaseScope&) = delete;

private:
	const DrawPhase phase;
};
