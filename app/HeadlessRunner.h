#pragma once
// vortane-run: the real main loop on SDL's offscreen driver, fed by a
// ScriptedSystemBackend, for tests, tools and benchmarks. Frames are counted
// by Present; the 16 ms pacing sleep is skipped unless real time is asked.
// The game reads its input through a FrameInputBackend, as it does on the
// desktop, which also writes the recording.

#include "app/Autopilot.h"
#include "app/FrameInputBackend.h"
#include "app/FrameStats.h"
#include "app/InputRecorder.h"
#include "app/InputScript.h"
#include "app/RunnerOptions.h"
#include "platform/system/ScriptedSystemBackend.h"

#include <fstream>
#include <memory>
#include <optional>
#include <ostream>

class HeadlessRunner {
public:
	explicit HeadlessRunner(RunnerOptions options);

	// Returns the process exit code: 0 after a run, 1 when the game could
	// not start or a shot could not be written, 2 for a bad input file.
	int Run(std::ostream& out, std::ostream& errors);

	// How one of the autopilot's battles went.
	struct Battle {
		bool won = false;
		uint32_t battleFrames = 0;
		float playerHitPointsLeft = 0.0f;
	};

	struct Report {
		uint32_t frames = 0;
		int32_t scene = 0;  // 0 once the game has quit
		bool battleFailed = false;
		std::string battle;  // the battle's fields while one runs
		FrameStats::Summary update, draw, frame;
		// With the autopilot: the last battle, and how many were played and won.
		bool autopilot = false;
		Battle last;
		uint32_t battles = 0;
		uint32_t battlesWon = 0;
	};
	static std::string ReportJson(const Report& report);
	// The --battle-log line for battle number (from 1), without the newline.
	static std::string BattleLogJson(uint32_t number, const Battle& battle, long residentKiB,
	                                 const std::string& liveObjects);
	// The process's resident memory (VmRSS) in KiB, or -1 where unknown.
	static long ResidentKiB();

private:
	bool LoadInput(std::ostream& errors);
	bool OpenTrace(std::ostream& errors);
	bool OpenFrameLog(std::ostream& errors);
	// The frame's timings (and its phases when they were timed) to the frame log.
	void LogFrame(const FrameTiming& timing);
	bool OpenRecord(std::ostream& errors);
	uint32_t ChooseSeed() const;
	void OnPresent(std::ostream& out);
	bool StartAutopilot(std::ostream& errors);
	bool NewPilot(std::string& why);
	// The autopilot's input for the next frame; between battles it starts
	// the next pilot or ends the run.
	void Pilot(uint32_t frame, std::ostream& out);
	void EndBattle(std::ostream& out);
	Battle PilotBattle() const;
	// Turns the autopilot's wishes for a frame into key changes and motion.
	void Apply(uint32_t frame, const PilotInput& input);
	Report MakeReport() const;

	RunnerOptions options;
	InputScript script;
	ScriptedSystemBackend backend;
	FrameInputBackend input{backend};
	InputRecorder recorder;
	FrameStats stats;
	uint32_t presented = 0;
	uint32_t seed = 0;
	std::vector<std::string> shotFailures;
	std::ofstream trace;
	std::ofstream frameLog;
	uint32_t loggedFrames = 0;
	std::unique_ptr<Autopilot> autopilot;
	PilotInput held;
	uint32_t battlesPlayed = 0;
	uint32_t battlesWon = 0;
	std::optional<Battle> lastBattle;
};
