#pragma once
// The headless runner's command line:
//   vortane-run [--frames N] [--realtime] [--input FILE] [--shot N:PATH.png]...
//               [--seed S] [--json] [--trace FILE] [--trace-scenes] [--no-render]
//               [--record FILE] [--autopilot [--battles N] [--battle-log]]
//               [--frame-log FILE [--phases N]] [--picture-every N] [--pictures-from F]
//               [--stage-only]

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ShotRequest {
	uint32_t frame = 0;
	std::string path;
};

struct RunnerOptions {
	std::optional<uint32_t> frames;  // none: run until the game quits
	bool realTime = false;           // keep the 16 ms pacing sleep
	std::string inputFile;
	std::vector<ShotRequest> shots;
	std::optional<uint32_t> seed;
	bool json = false;
	bool traceScenes = false;  // print each presented frame's scene id
	std::string traceFile;     // one JSON line of game state a frame
	bool noRender = false;     // every game call, no pixel work
	bool autopilot = false;    // the Autopilot plays instead of an input file
	std::string recordFile;    // the inputs as the game saw them, in the input file's grammar
	uint32_t battles = 1;      // whole battles the autopilot plays in a row
	bool battlesGiven = false;
	bool battleLog = false;  // a JSON line on stdout after each battle
	std::string frameLogFile;  // one line of timings a frame
	uint32_t phaseEvery = 0;   // every Nth frame's draw phases timed (0: none)
	// Frames that run without their picture, as the game's clock skips them
	// on a slow machine: all but every Nth, and all before frame F.
	uint32_t pictureEvery = 1;
	uint32_t picturesFrom = 0;
	// The enemies, the shots and the effects play but leave no pixels.
	bool stageOnly = false;

	// Whether frame (counted from 0) draws its picture.
	bool Pictured(uint32_t frame) const { return frame >= picturesFrom && frame % pictureEvery == 0; }

	// False with the reason on a bad argument.
	static bool Parse(const std::vector<std::string>& arguments, RunnerOptions& options, std::string& why);
	static const char* Usage();
};
