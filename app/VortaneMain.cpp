// VORTANE: the game. The exit code is always 0, bad arguments included.
//   vortane [--record FILE] [--trace FILE]

#include "app/Application.h"
#include "app/FrameInputBackend.h"
#include "app/GameOptions.h"
#include "app/GameStateWriter.h"
#include "app/InputRecorder.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/SystemBackend.h"

#include <cstdint>
#include <ctime>
#include <fstream>
#include <iostream>

namespace {

// The game's input, read once a frame, through which a recording is taken.
void Play(InputRecorder& recorder, std::ofstream& trace) {
	FrameInputBackend input(ActiveSystemBackend());
	if (recorder.IsOpen()) {
		input.SetRecorder(&recorder);
	}
	SetSystemBackend(&input);

	const uint32_t seed = static_cast<uint32_t>(std::time(nullptr));
	recorder.Comment("vortane");
	recorder.Seed(seed);
	Application& application = Application::Get();
	application.SetRandomSeed(seed);
	application.SetCloseObserver([&input] { input.NoteClose(); });
	// The recording is on disk up to a frame before that frame's trace line:
	// a game that dies leaves a trace its recording can replay.
	SetPresentHook([&input, &trace] {
		const uint32_t frame = input.Frame();
		input.EndFrame();
		if (trace.is_open()) {
			trace << GameStateWriter::TraceLine(frame) << std::flush;
		}
	});

	if (application.InitWindow(GetModuleHandleA(nullptr), 1280, 720)) {
		application.Run();
		application.Shutdown();
	}
	recorder.Flush();
	SetPresentHook(nullptr);
	application.SetCloseObserver(nullptr);
	SetSystemBackend(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
	GameOptions options;
	std::string why;
	if (!GameOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, why)) {
		std::cerr << "vortane: " << why << "\n" << GameOptions::Usage() << "\n";
		return 0;
	}
	InputRecorder recorder;
	if (!options.recordFile.empty() && !recorder.Open(options.recordFile, why)) {
		std::cerr << "vortane: " << why << "\n";
		return 0;
	}
	std::ofstream trace;
	if (!options.traceFile.empty()) {
		trace.open(options.traceFile, std::ios::binary | std::ios::trunc);
		if (!trace) {
			std::cerr << "vortane: cannot write the trace file " << options.traceFile << "\n";
			return 0;
		}
	}
	Play(recorder, trace);
	return 0;
}
