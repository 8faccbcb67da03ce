#pragma once
// vortane-run: the real main loop on SDL's offscreen driver, fed by a
// ScriptedSystemBackend, for tests, tools and benchmarks. Frames are counted
// by Present; the 16 ms pacing sleep is skipped unless real time is asked.

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
	};
	static std::string ReportJson(const Report& report);

private:
	bool LoadInput(std::ostream& errors);
	bool OpenTrace(std::ostream& errors);
	void WriteTrace(uint32_t frame);
	void OnPresent(std::ostream& out);
	Report MakeReport() const;

	RunnerOptions options;
	InputScript script;
	ScriptedSystemBackend backend;
	FrameStats stats;
	uint32_t presented = 0;
	std::vector<std::string> shotFailures;
	std::ofstream trace;
};
