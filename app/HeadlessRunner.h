#pragma once
// vortane-run: the real main loop on SDL's offscreen driver, fed by a
// ScriptedSystemBackend, for tests, tools and benchmarks. Frames are counted
// by Present; the 16 ms pacing sleep is skipped unless real time is asked.

#include "app/Autopilot.h"
#include "app/FrameStats.h"
#include "app/InputScript.h"
#include "app/RunnerOptions.h"
#include "platform/system/ScriptedSystemBackend.h"

#include <fstream>
#include <ostream>

class HeadlessRunner {
public:
	explicit HeadlessRunner(RunnerOptions options);

	// Returns the process exit code: 0 after a run, 1 when the game could
	// not start or a shot could not be written, 2 for a bad input file.
	int Run(std::ostream& out, std::ostream& errors);

	struct Report {
		uint32_t frames = 0;
		int32_t scene = 0;  // 0 once the game has quit
		bool battleFailed = false;
		std::string battle;  // the battle's fields while one runs
		FrameStats::Summary update, draw, frame;
		// With the autopilot: how its battle went.
		bool autopilot = false;
		bool won = false;
		uint32_t battleFrames = 0;
		float playerHitPointsLeft = 0.0f;
	};
	static std::string ReportJson(const Report& report);

private:
	bool LoadInput(std::ostream& errors);
	bool OpenTrace(std::ostream& errors);
	void WriteTrace(uint32_t frame);
	void OnPresent(std::ostream& out);
	bool StartAutopilot(std::ostream& errors);
	// Turns the autopilot's wishes for a frame into key changes and motion.
	void Apply(uint32_t frame, const PilotInput& input);
	void SetKey(uint32_t frame, int virtualKey, const char* name, bool down);
	Report MakeReport() const;

	RunnerOptions options;
	InputScript script;
	ScriptedSystemBackend backend;
	FrameStats stats;
	uint32_t presented = 0;
	std::vector<std::string> shotFailures;
	std::ofstream trace;
	Autopilot autopilot;
	PilotInput held;
	std::ofstream record;
};
