#include "app/RunnerOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool ReadCount(const std::string& text, uint32_t& value) {
	const char* end = text.data() + text.size();
	const auto [stop, error] = std::from_chars(text.data(), end, value);
	return !text.empty() && error == std::errc() && stop == end;
}

bool EndsWithPng(const std::string& path) {
	if (path.size() < 5) {
		return false;
	}
	std::string suffix = path.substr(path.size() - 4);
	std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
	return suffix == ".png";
}

bool ParseShot(const std::string& text, ShotRequest& shot, std::string& why) {
	const size_t colon = text.find(':');
	if (colon == std::string::npos || !ReadCount(text.substr(0, colon), shot.frame)) {
		why = "--shot wants N:PATH.png, got '" + text + "'";
		return false;
	}
	shot.path = text.substr(colon + 1);
	if (!EndsWithPng(shot.path)) {
		why = "--shot path must end in .png: '" + shot.path + "'";
		return false;
	}
	return true;
}

}  // namespace

const char* RunnerOptions::Usage() {
	return "usage: vortane-run [--frames N] [--realtime] [--input FILE] [--shot N:PATH.png]... [--seed S] [--json] [--trace FILE] [--trace-scenes] [--no-render] [--record FILE] [--autopilot [--battles N] [--battle-log]] [--frame-log FILE [--phases N]] [--picture-every N] [--pictures-from F] [--stage-only]";
}

bool RunnerOptions::Parse(const std::vector<std::string>& arguments, RunnerOptions& options, std::string& why) {
	options = RunnerOptions{};
	for (size_t i = 0; i < arguments.size(); ++i) {
		const std::string& argument = arguments[i];
		const bool takesValue = argument == "--frames" || argument == "--input" || argument == "--shot" ||
		                        argument == "--seed" || argument == "--trace" || argument == "--record" ||
		                        argument == "--battles" || argument == "--frame-log" || argument == "--phases" ||
		                        argument == "--picture-every" || argument == "--pictures-from";
		if (takesValue && i + 1 >= arguments.size()) {
			why = argument + " needs a value";
			return false;
		}
		if (argument == "--frames") {
			uint32_t frames = 0;
			if (!ReadCount(arguments[++i], frames) || frames == 0) {
				why = "--frames wants a positive whole number, got '" + arguments[i] + "'";
				return false;
			}
			options.frames = frames;
		} else if (argument == "--realtime") {
			options.realTime = true;
		} else if (argument == "--input") {
			options.inputFile = arguments[++i];
		} else if (argument == "--shot") {
			ShotRequest shot;
			if (!ParseShot(arguments[++i], shot, why)) {
				return false;
			}
			options.shots.push_back(shot);
		} else if (argument == "--seed") {
			uint32_t seed = 0;
			if (!ReadCount(arguments[++i], seed)) {
				why = "--seed wants a whole number from 0 to 4294967295, got '" + arguments[i] + "'";
				return false;
			}
			options.seed = seed;
		} else if (argument == "--json") {
			options.json = true;
		} else if (argument == "--trace") {
			options.traceFile = arguments[++i];
		} else if (argument == "--no-render") {
			options.noRender = true;
		} else if (argument == "--autopilot") {
			options.autopilot = true;
		} else if (argument == "--record") {
			options.recordFile = arguments[++i];
		} else if (argument == "--battles") {
			if (!ReadCount(arguments[++i], options.battles) || options.battles == 0) {
				why = "--battles wants a positive whole number, got '" + arguments[i] + "'";
				return false;
			}
			options.battlesGiven = true;
		} else if (argument == "--battle-log") {
			options.battleLog = true;
		} else if (argument == "--frame-log") {
			options.frameLogFile = arguments[++i];
		} else if (argument == "--phases") {
			if (!ReadCount(arguments[++i], options.phaseEvery) || options.phaseEvery == 0) {
				why = "--phases wants a positive whole number, got '" + arguments[i] + "'";
				return false;
			}
		} else if (argument == "--picture-every") {
			if (!ReadCount(arguments[++i], options.pictureEvery) || options.pictureEvery == 0) {
				why = "--picture-every wants a positive whole number, got '" + arguments[i] + "'";
				return false;
			}
		} else if (argument == "--pictures-from") {
			if (!ReadCount(arguments[++i], options.picturesFrom)) {
				why = "--pictures-from wants a whole number, got '" + arguments[i] + "'";
				return false;
			}
		} else if (argument == "--stage-only") {
			options.stageOnly = true;
		} else if (argument == "--trace-scenes") {
			options.traceScenes = true;
		} else {
			why = "unknown argument '" + argument + "'";
			return false;
		}
	}
	if (options.noRender && !options.shots.empty()) {
		why = "--shot needs pictures: leave out --no-render";
		return false;
	}
	if (options.autopilot && !options.inputFile.empty()) {
		why = "--autopilot plays by itself: leave out --input";
		return false;
	}
	if ((options.battlesGiven || options.battleLog) && !options.autopilot) {
		why = "--battles and --battle-log count the autopilot's battles: give --autopilot";
		return false;
	}
	if (options.phaseEvery != 0 && options.frameLogFile.empty()) {
		why = "--phases writes to the frame log: give --frame-log";
		return false;
	}
	if (options.realTime && (options.pictureEvery != 1 || options.picturesFrom != 0)) {
		why = "--realtime lets the game's clock pick the frames without pictures: leave out --picture-every and --pictures-from";
		return false;
	}
	for (const ShotRequest& shot : options.shots) {
		if (!options.Pictured(shot.frame)) {
			why = "--shot frame " + std::to_string(shot.frame) + " runs without its picture";
			return false;
		}
	}
	if (options.frames) {
		for (const ShotRequest& shot : options.shots) {
			if (shot.frame >= *options.frames) {
				why = "--shot frame " + std::to_string(shot.frame) + " is never drawn in " +
				      std::to_string(*options.frames) + " frames (they count from 0)";
				return false;
			}
		}
	}
	return true;
}
