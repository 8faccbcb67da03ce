#include "app/HeadlessRunner.h"

#include "app/Application.h"
#include "app/GameStateWriter.h"
#include "app/GraphicsDevice.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "platform/system/Win32.h"
#include "scene/SceneBase.h"
#include "scene/SceneManager.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace {

constexpr int32_t CLIENT_WIDTH = 1280;
constexpr int32_t CLIENT_HEIGHT = 720;
constexpr size_t MAX_INPUT_BYTES = 16u * 1024u * 1024u;

std::string JsonSummary(const FrameStats::Summary& summary) {
	char text[96];
	std::snprintf(text, sizeof(text), "{\"median\":%.3f,\"p95\":%.3f}", summary.median, summary.p95);
	return text;
}

}  // namespace

HeadlessRunner::HeadlessRunner(RunnerOptions runnerOptions) : options(std::move(runnerOptions)) {}

bool HeadlessRunner::LoadInput(std::ostream& errors) {
	if (options.inputFile.empty()) {
		return true;
	}
	// Named as on the command line: relative to the working directory, not
	// looked up beside the executable like the game's data.
	FILE* file = std::fopen(options.inputFile.c_str(), "rb");
	if (file == nullptr) {
		errors << "vortane-run: cannot open the input file " << options.inputFile << "\n";
		return false;
	}
	std::string text;
	char buffer[4096];
	for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), file)) > 0;) {
		text.append(buffer, read);
		if (text.size() > MAX_INPUT_BYTES) {
			std::fclose(file);
			errors << "vortane-run: the input file is larger than 16 MiB\n";
			return false;
		}
	}
	std::fclose(file);
	if (!script.Parse(text)) {
		for (const std::string& error : script.Errors()) {
			errors << options.inputFile << ": " << error << "\n";
		}
		return false;
	}
	return true;
}

bool HeadlessRunner::OpenTrace(std::ostream& errors) {
	if (options.traceFile.empty()) {
		return true;
	}
	trace.open(options.traceFile, std::ios::binary | std::ios::trunc);
	if (!trace) {
		errors << "vortane-run: cannot write the trace file " << options.traceFile << "\n";
		return false;
	}
	return true;
}

// The state after the frame's update and draw.
void HeadlessRunner::WriteTrace(uint32_t frame) {
	const int32_t scene = sceneManager != nullptr && sceneManager->scene != nullptr ? sceneManager->scene->id : 0;
	trace << "{\"frame\":" << frame << ",\"scene\":" << scene
	      << ",\"battleFailed\":" << (Application::Get().battleFailed ? "true" : "false")
	      << GameStateWriter::BattleFields() << "}\n";
}

bool HeadlessRunner::StartAutopilot(std::ostream& errors) {
	if (!options.autopilot) {
		return true;
	}
	std::string why;
	if (!autopilot.LoadRoute(why)) {
		errors << "vortane-run: the autopilot cannot start: " << why << "\n";
		return false;
	}
	if (!options.recordFile.empty()) {
		record.open(options.recordFile, std::ios::binary | std::ios::trunc);
		if (!record) {
			errors << "vortane-run: cannot write the record file " << options.recordFile << "\n";
			return false;
		}
		record << "# vortane-run --autopilot\nanswer no\n";
	}
	// Windowed, as a person at a desk would answer.
	backend.QueueAnswer(IDNO);
	return true;
}

void HeadlessRunner::SetKey(uint32_t frame, int virtualKey, const char* name, bool down) {
	backend.SetKey(frame, virtualKey, down);
	if (record.is_open()) {
		record << frame << (down ? " down " : " up ") << name << "\n";
	}
}

void HeadlessRunner::Apply(uint32_t frame, const PilotInput& input) {
	static const struct {
		int key;
		const char* name;
	} moveKeys[] = {{'W', "W"}, {'A', "A"}, {'S', "S"}, {'D', "D"}};
	// Releases first, so that no frame ever sees two move keys down.
	for (const auto& move : moveKeys) {
		if (held.moveKey == move.key && input.moveKey != move.key) {
			SetKey(frame, move.key, move.name, false);
		}
	}
	for (const auto& move : moveKeys) {
		if (input.moveKey == move.key && held.moveKey != move.key) {
			SetKey(frame, move.key, move.name, true);
		}
	}
	if (input.fire != held.fire) {
		SetKey(frame, VK_LBUTTON, "LBUTTON", input.fire);
	}
	if (input.plasma != held.plasma) {
		SetKey(frame, VK_RBUTTON, "RBUTTON", input.plasma);
	}
	if (input.dx != 0 || input.dy != 0) {
		backend.MoveCursor(frame, input.dx, input.dy);
		if (record.is_open()) {
			record << frame << " move " << input.dx << " " << input.dy << "\n";
		}
	}
	held = input;
}

void HeadlessRunner::OnPresent(std::ostream& out) {
	const uint32_t frame = backend.Frame();
	if (trace.is_open()) {
		WriteTrace(frame);
	}
	if (options.traceScenes) {
		// The scene that updated and drew this frame: after a switch, the new one.
		const int32_t scene = sceneManager != nullptr && sceneManager->scene != nullptr ? sceneManager->scene->id : 0;
		out << "frame " << frame << " scene " << scene << "\n";
	}
	for (const ShotRequest& shot : options.shots) {
		if (shot.frame != frame) {
			continue;
		}
		std::vector<uint8_t> rgba;
		UINT width = 0, height = 0;
		std::string why = "the back buffer could not be read";
		if (!ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height) ||
		    !WritePngFile(shot.path, width, height, rgba.data(), why)) {
			shotFailures.push_back(shot.path + ": " + why);
		}
	}
	if (options.autopilot) {
		Apply(frame + 1, autopilot.Decide());
		if (autopilot.Finished()) {
			Application::Get().quitting = true;
		}
	}
	backend.AdvanceFrame();
	++presented;
	if (options.frames && presented >= *options.frames) {
		Application::Get().quitting = true;
	}
}

HeadlessRunner::Report HeadlessRunner::MakeReport() const {
	Report report;
	report.frames = presented;
	if (sceneManager != nullptr && sceneManager->scene != nullptr) {
		report.scene = sceneManager->scene->id;
	}
	report.battleFailed = Application::Get().battleFailed;
	report.battle = GameStateWriter::BattleFields();
	report.update = stats.Update();
	report.draw = stats.Draw();
	report.frame = stats.Frame();
	report.autopilot = options.autopilot;
	report.won = autopilot.Won();
	report.battleFrames = autopilot.BattleFrames();
	report.playerHitPointsLeft = autopilot.HitPointsLeft();
	return report;
}

std::string HeadlessRunner::ReportJson(const Report& report) {
	std::ostringstream json;
	json << "{\"frames\":" << report.frames << ",\"scene\":" << report.scene
	     << ",\"battleFailed\":" << (report.battleFailed ? "true" : "false") << report.battle << ",\"timing\":{\"update\":"
	     << JsonSummary(report.update) << ",\"draw\":" << JsonSummary(report.draw)
	     << ",\"frame\":" << JsonSummary(report.frame) << "}";
	if (report.autopilot) {
		char hitPoints[32];
		std::snprintf(hitPoints, sizeof(hitPoints), "%.9g", static_cast<double>(report.playerHitPointsLeft));
		json << ",\"won\":" << (report.won ? "true" : "false") << ",\"battleFrames\":" << report.battleFrames
		     << ",\"playerHitPointsLeft\":" << hitPoints;
	}
	json << "}";
	return json.str();
}

int HeadlessRunner::Run(std::ostream& out, std::ostream& errors) {
	if (!LoadInput(errors)) {
		return 2;
	}
	if (!OpenTrace(errors) || !StartAutopilot(errors)) {
		return 1;
	}
	// Headless unless the caller picked a driver, and silent.
	setenv("SDL_VIDEODRIVER", "offscreen", 0);
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	setenv("ALSOFT_DRIVERS", "null", 0);

	SetPixelWorkEnabled(!options.noRender);
	script.ApplyTo(backend);
	backend.SetRealTime(options.realTime);
	SetSystemBackend(&backend);
	SetPresentHook([this, &out] { OnPresent(out); });

	Application& application = Application::Get();
	if (options.seed) {
		application.SetRandomSeed(*options.seed);
	}
	application.SetFrameObserver([this](const FrameTiming& timing) { stats.Add(timing); });

	int exitCode = 0;
	if (!application.InitWindow(GetModuleHandleA(nullptr), CLIENT_WIDTH, CLIENT_HEIGHT)) {
		errors << "vortane-run: the window or the graphics device could not be created\n";
		exitCode = 1;
	} else {
		application.Run();
		const Report report = MakeReport();
		delete sceneManager;
		sceneManager = nullptr;
		application.Shutdown();
		if (options.json) {
			out << ReportJson(report) << "\n";
		}
	}
	// The boxes a person would have seen, for whoever reads the log.
	for (const ScriptedSystemBackend::Question& box : backend.Questions()) {
		const char* answer = box.answer == IDYES ? "yes" : box.answer == IDNO ? "no" : "ok";
		errors << "vortane-run: frame " << box.frame << ": box \"" << box.caption << "\": " << box.text << " -> "
		       << answer << "\n";
	}
	for (const std::string& failure : shotFailures) {
		errors << "vortane-run: shot not written: " << failure << "\n";
		exitCode = 1;
	}
	application.SetFrameObserver(nullptr);
	SetPresentHook(nullptr);
	SetPixelWorkEnabled(true);
	SetSystemBackend(nullptr);
	return exitCode;
}
