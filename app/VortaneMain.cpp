// VORTANE: the game. Exit codes: 0 after a game, --help or --version; 1 when
// a record or trace file cannot be written; 2 for a bad option.
//   vortane [options]   (vortane --help lists them)

#include "app/Application.h"
#include "app/FrameInputBackend.h"
#include "app/GameOptions.h"
#include "app/GameStateWriter.h"
#include "app/InputRecorder.h"
#include "platform/audio/SoundMute.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/SdlSystemBackend.h"
#include "platform/system/SystemBackend.h"

#include <cstdint>
#include <ctime>
#include <fstream>
#include <iostream>

namespace {

constexpr int EXIT_CANNOT_WRITE = 1;
constexpr int EXIT_BAD_OPTION = 2;

// The game's input, read once a frame, through which a recording is taken:
// the desktop's keyboard, mouse and game pads.
void Play(InputRecorder& recorder, std::ofstream& trace) {
	SdlSystemBackend desktop;
	if (!desktop.EnableGamepads()) {
		std::cerr << "vortane: game pads unavailable: " << SDL_GetError() << "\n";
	}
	FrameInputBackend input(desktop);
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
		std::cerr << "vortane: " << why << " (vortane --help lists the options)\n";
		return EXIT_BAD_OPTION;
	}
	if (options.help) {
		std::cout << GameOptions::Help();
		return 0;
	}
	if (options.version) {
		std::cout << GameOptions::VersionLine() << "\n";
		return 0;
	}
	InputRecorder recorder;
	if (!options.recordFile.empty() && !recorder.Open(options.recordFile, why)) {
		std::cerr << "vortane: " << why << "\n";
		return EXIT_CANNOT_WRITE;
	}
	std::ofstream trace;
	if (!options.traceFile.empty()) {
		trace.open(options.traceFile, std::ios::binary | std::ios::trunc);
		if (!trace) {
			std::cerr << "vortane: cannot write the trace file " << options.traceFile << "\n";
			return EXIT_CANNOT_WRITE;
		}
	}
	Application::Get().settings = options.settings;
	SetSoundMuted(options.mute);
	Play(recorder, trace);
	return 0;
}
