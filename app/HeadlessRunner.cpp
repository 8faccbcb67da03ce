#include "app/HeadlessRunner.h"

#include "app/Application.h"
#include "app/GameStateWriter.h"
#include "app/GraphicsDevice.h"
#include "app/LiveObjects.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "platform/system/Win32.h"
#include "render/CharacterPixelScope.h"
#include "render/DrawPhaseProfiler.h"
#include "scene/SceneBase.h"
#include "scene/SceneManager.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <utility>

namespace {

constexpr int32_t CLIENT_WIDTH = 1280;
constexpr int32_t CLIENT_HEIGHT = 720;
constexpr size_t MAX_INPUT_BYTES = 16u * 1024u * 1024u;

std::string Number(float value) {
	char text[32];
	std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
	return text;
}

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

bool HeadlessRunner::OpenFrameLog(std::ostream& errors) {
	if (options.frameLogFile.empty()) {
		return true;
	}
	frameLog.open(options.frameLogFile, std::ios::binary | std::ios::trunc);
	if (!frameLog) {
		errors << "vortane-run: cannot write the frame log " << options.frameLogFile << "\n";
		return false;
	}
	frameLog << "# frame pictured update draw frame";
	for (size_t phase = 0; phase < DrawPhaseProfiler::PHASE_COUNT; ++phase) {
		frameLog << ' ' << DrawPhaseProfiler::NameOf(static_cast<DrawPhase>(phase));
	}
	frameLog << " (milliseconds; phases only on timed frames, else -)\n";
	DrawPhaseProfiler::SetEnabled(options.phaseEvery != 0);
	return true;
}

void HeadlessRunner::LogFrame(const FrameTiming& timing) {
	if (!frameLog.is_open()) {
		return;
	}
	const bool timed = DrawPhaseProfiler::Enabled();
	const DrawPhaseProfiler::Times phases = DrawPhaseProfiler::TakeTimes();
	char line[128];
	std::snprintf(line, sizeof(line), "%u %d %.3f %.3f %.3f", loggedFrames, timing.pictured ? 1 : 0,
	              timing.updateMilliseconds, timing.drawMilliseconds, timing.frameMilliseconds);
	frameLog << line;
	for (const double milliseconds : phases) {
		if (timed) {
			std::snprintf(line, sizeof(line), " %.3f", milliseconds);
			frameLog << line;
		} else {
			frameLog << " -";
		}
	}
	frameLog << '\n';
	++loggedFrames;
	DrawPhaseProfiler::SetEnabled(options.phaseEvery != 0 && loggedFrames % options.phaseEvery == 0);
}

// --seed, else the input file's seed line, else the time.
uint32_t HeadlessRunner::ChooseSeed() const {
	if (options.seed) {
		return *options.seed;
	}
	if (script.Seed()) {
		return *script.Seed();
	}
	return static_cast<uint32_t>(std::time(nullptr));
}

bool HeadlessRunner::OpenRecord(std::ostream& errors) {
	if (options.recordFile.empty()) {
		return true;
	}
	std::string why;
	if (!recorder.Open(options.recordFile, why)) {
		errors << "vortane-run: " << why << "\n";
		return false;
	}
	recorder.Comment(options.autopilot ? "vortane-run --autopilot" : "vortane-run");
	recorder.Seed(seed);
	input.SetRecorder(&recorder);
	return true;
}

bool HeadlessRunner::NewPilot(std::string& why) {
	autopilot = std::make_unique<Autopilot>();
	return autopilot->LoadRoute(why);
}

bool HeadlessRunner::StartAutopilot(std::ostream& errors) {
	if (!options.autopilot) {
		return true;
	}
	std::string why;
	if (!NewPilot(why)) {
		errors << "vortane-run: the autopilot cannot start: " << why << "\n";
		return false;
	}
	// Windowed, as a person at a desk would answer.
	backend.QueueAnswer(IDNO);
	return true;
}

void HeadlessRunner::Apply(uint32_t frame, const PilotInput& wish) {
	static const int moveKeys[] = {'W', 'A', 'S', 'D'};
	// Releases first, so that no frame ever sees two move keys down.
	for (const int key : moveKeys) {
		if (held.moveKey == key && wish.moveKey != key) {
			backend.SetKey(frame, key, false);
		}
	}
	for (const int key : moveKeys) {
		if (wish.moveKey == key && held.moveKey != key) {
			backend.SetKey(frame, key, true);
		}
	}
	if (wish.fire != held.fire) {
		backend.SetKey(frame, VK_LBUTTON, wish.fire);
	}
	if (wish.plasma != held.plasma) {
		backend.SetKey(frame, VK_RBUTTON, wish.plasma);
	}
	if (wish.dx != 0 || wish.dy != 0) {
		backend.MoveCursor(frame, wish.dx, wish.dy);
	}
	held = wish;
}

HeadlessRunner::Battle HeadlessRunner::PilotBattle() const {
	Battle battle;
	battle.won = autopilot->Won();
	battle.battleFrames = autopilot->BattleFrames();
	battle.playerHitPointsLeft = autopilot->HitPointsLeft();
	return battle;
}

long HeadlessRunner::ResidentKiB() {
	FILE* status = std::fopen("/proc/self/status", "r");
	if (status == nullptr) {
		return -1;
	}
	long kib = -1;
	char line[256];
	while (std::fgets(line, sizeof(line), status) != nullptr) {
		if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) {
			break;
		}
	}
	std::fclose(status);
	return kib;
}

std::string HeadlessRunner::BattleLogJson(uint32_t number, const Battle& battle, long residentKiB,
                                          const std::string& liveObjects) {
	std::ostringstream json;
	json << "{\"battle\":" << number << ",\"won\":" << (battle.won ? "true" : "false")
	     << ",\"battleFrames\":" << battle.battleFrames
	     << ",\"playerHitPointsLeft\":" << Number(battle.playerHitPointsLeft) << ",\"rssKiB\":" << residentKiB
	     << ",\"live\":" << liveObjects << "}";
	return json.str();
}

void HeadlessRunner::EndBattle(std::ostream& out) {
	const Battle battle = PilotBattle();
	++battlesPlayed;
	battlesWon += battle.won ? 1 : 0;
	lastBattle = battle;
	if (options.battleLog) {
		out << BattleLogJson(battlesPlayed, battle, ResidentKiB(), CountLiveObjects().ToJson()) << std::endl;
	}
}

// One battle, as before, ends the run as soon as the result is clicked
// away. Counted battles end once the title is back, where everything the
// battle made should be gone again; a battle that ran too long ends the run.
void HeadlessRunner::Pilot(uint32_t frame, std::ostream& out) {
	PilotInput wish = autopilot->Decide();
	if (autopilot->Finished()) {
		const int32_t scene = sceneManager != nullptr && sceneManager->scene != nullptr ? sceneManager->scene->id : 0;
		if (!options.battlesGiven && !options.battleLog) {
			EndBattle(out);
			Application::Get().quitting = true;
		} else if (scene == SCENE_TITLE) {
			EndBattle(out);
			std::string why;
			if (battlesPlayed < options.battles && NewPilot(why)) {
				wish = autopilot->Decide();
			} else {
				Application::Get().quitting = true;
			}
		} else if (scene != SCENE_RESULT) {
			EndBattle(out);
			Application::Get().quitting = true;
		}
	}
	Apply(frame + 1, wish);
}

void HeadlessRunner::OnPresent(std::ostream& out) {
	const uint32_t frame = backend.Frame();
	if (trace.is_open()) {
		trace << GameStateWriter::TraceLine(frame);
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
	input.EndFrame();
	if (autopilot) {
		Pilot(frame, out);
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
	report.autopilot = autopilot != nullptr;
	if (autopilot) {
		// A pilot that has not reached its battle yet reports the one before.
		report.last = lastBattle && autopilot->BattleFrames() == 0 ? *lastBattle : PilotBattle();
	}
	report.battles = battlesPlayed;
	report.battlesWon = battlesWon;
	return report;
}

std::string HeadlessRunner::ReportJson(const Report& report) {
	std::ostringstream json;
	json << "{\"frames\":" << report.frames << ",\"scene\":" << report.scene
	     << ",\"battleFailed\":" << (report.battleFailed ? "true" : "false") << report.battle << ",\"timing\":{\"update\":"
	     << JsonSummary(report.update) << ",\"draw\":" << JsonSummary(report.draw)
	     << ",\"frame\":" << JsonSummary(report.frame) << "}";
	if (report.autopilot) {
		json << ",\"won\":" << (report.last.won ? "true" : "false") << ",\"battleFrames\":" << report.last.battleFrames
		     << ",\"playerHitPointsLeft\":" << Number(report.last.playerHitPointsLeft)
		     << ",\"battles\":" << report.battles << ",\"battlesWon\":" << report.battlesWon;
	}
	json << "}";
	return json.str();
}

int HeadlessRunner::Run(std::ostream& out, std::ostream& errors) {
	if (!LoadInput(errors)) {
		return 2;
	}
	seed = ChooseSeed();
	if (!OpenTrace(errors) || !OpenFrameLog(errors) || !StartAutopilot(errors) || !OpenRecord(errors)) {
		return 1;
	}
	// Headless unless the caller picked a driver, and silent.
	setenv("SDL_VIDEODRIVER", "offscreen", 0);
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	setenv("ALSOFT_DRIVERS", "null", 0);
	// SIGTERM and Ctrl+C end a run as they end any command-line tool. With
	// SDL's handlers they would only post a quit, which a script answers as
	// a close box and the run carries on: timeout(1) could not stop it.
	setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);

	SetPixelWorkEnabled(!options.noRender);
	CharacterPixelScope::SetStageOnly(options.stageOnly);
	script.ApplyTo(backend);
	backend.SetRealTime(options.realTime);
	SetSystemBackend(&input);
	SetPresentHook([this, &out] { OnPresent(out); });

	Application& application = Application::Get();
	application.SetRandomSeed(seed);
	application.SetFrameObserver([this](const FrameTiming& timing) {
		stats.Add(timing);
		LogFrame(timing);
	});
	// Without real-time pacing every frame draws its picture.
	application.SetCatchUpEnabled(options.realTime);
	if (options.pictureEvery != 1 || options.picturesFrom != 0) {
		application.SetPictureFilter([this] { return options.Pictured(backend.Frame()); });
	}
	application.SetCloseObserver([this] { input.NoteClose(); });

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
	recorder.Flush();
	application.SetFrameObserver(nullptr);
	application.SetPictureFilter(nullptr);
	application.SetCloseObserver(nullptr);
	SetPresentHook(nullptr);
	SetPixelWorkEnabled(true);
	CharacterPixelScope::SetStageOnly(false);
	DrawPhaseProfiler::SetEnabled(false);
	SetSystemBackend(nullptr);
	return exitCode;
}
