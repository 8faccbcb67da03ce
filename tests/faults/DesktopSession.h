#pragma once
// The real game on a private X server, as a child process: its top-level
// windows listed with xwininfo, its message boxes answered through
// xdotool, and its exit waited for within a limit. Nothing here touches
// the test process's own SDL.

#include "tests/faults/FaultTestSupport.h"
#include "tests/system/XvfbSession.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

namespace faults {

struct TopWindow {
	std::string id;    // as xwininfo writes it, 0x...
	std::string name;  // empty for a window without one
};

class DesktopSession {
public:
	static constexpr int POLL_MS = 50;

	// Empty once the server runs, otherwise why it does not.
	std::string Start() {
		for (const char* program : {"Xvfb", "xdotool", "xwininfo", "xprop"}) {
			if (!xvfb_test::ProgramOnPath(program)) {
				return std::string(program) + " is not installed";
			}
		}
		return server.Start() ? "" : "Xvfb did not start";
	}

	void Stop() {
		if (game > 0) {
			kill(game, SIGKILL);
			waitpid(game, nullptr, 0);
			game = -1;
		}
		server.Stop();
	}

	// Starts the game with these extra variables; its output goes to logFile.
	bool Launch(const std::string& program, const std::vector<std::string>& variables, const fs::path& logFile) {
		std::vector<std::string> environment = {"DISPLAY=" + server.display, "SDL_VIDEODRIVER=x11"};
		environment.insert(environment.end(), variables.begin(), variables.end());
		for (char** entry = environ; *entry != nullptr; ++entry) {
			const std::string text = *entry;
			const std::string name = text.substr(0, text.find('='));
			const bool replaced = std::any_of(environment.begin(), environment.end(), [&](const std::string& set) {
				return set.compare(0, name.size() + 1, name + "=") == 0;
			});
			if (!replaced) {
				environment.push_back(text);
			}
		}
		std::vector<char*> envp;
		for (std::string& entry : environment) {
			envp.push_back(entry.data());
		}
		envp.push_back(nullptr);
		std::string path = program;
		char* argv[] = {path.data(), nullptr};
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
		const int failed = posix_spawn(&game, path.c_str(), &actions, nullptr, argv, envp.data());
		posix_spawn_file_actions_destroy(&actions);
		if (failed != 0) {
			game = -1;
		}
		return failed == 0;
	}

	// The game's exit code once it has ended, waiting at most limitMs; -1
	// when it was killed by a signal or had to be killed.
	int WaitForExit(int limitMs) {
		const int code = xvfb_test::Reap(game, limitMs);
		game = -1;
		return code;
	}

	std::vector<TopWindow> TopWindows() const {
		std::vector<TopWindow> windows;
		// Direct children of the root are indented by five spaces.
		for (const std::string& line : Lines(Run("xwininfo -root -children"))) {
			if (line.rfind("     0x", 0) != 0) {
				continue;
			}
			TopWindow window;
			const size_t idEnd = line.find(' ', 5);
			window.id = line.substr(5, idEnd - 5);
			const size_t open = line.find('"', idEnd);
			const size_t close = line.find("\": (", open + 1);
			if (open == idEnd + 1 && close != std::string::npos) {
				window.name = line.substr(open + 1, close - open - 1);
			}
			windows.push_back(window);
		}
		return windows;
	}

	bool IsDialog(const std::string& id) const {
		return Run("xprop -id " + id + " _NET_WM_WINDOW_TYPE").find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos;
	}

	// A box with this title, waited for at most limitMs.
	std::optional<std::string> WaitForBox(const std::string& title, int limitMs) const {
		for (int waited = 0; waited <= limitMs; waited += POLL_MS) {
			for (const TopWindow& window : TopWindows()) {
				if (window.name == title && IsDialog(window.id)) {
					return window.id;
				}
			}
			std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
		}
		return std::nullopt;
	}

	// The titles of the boxes up now.
	std::vector<std::string> BoxTitles() const {
		std::vector<std::string> titles;
		for (const TopWindow& window : TopWindows()) {
			if (IsDialog(window.id)) {
				titles.push_back(window.name);
			}
		}
		return titles;
	}

	// Return on the box: its default button.
	bool PressReturn(const std::string& id) const {
		return Run("xdotool windowfocus " + id + " key Return && echo done").find("done") != std::string::npos;
	}

	bool Click(const std::string& id, int x, int y) const {
		return Run("xdotool mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y) +
		           " click 1 && echo done")
		           .find("done") != std::string::npos;
	}

	// Width and height; zero when the window is gone.
	std::pair<int, int> WindowSize(const std::string& id) const {
		int width = 0, height = 0;
		for (const std::string& line : Lines(Run("xwininfo -id " + id))) {
			std::sscanf(line.c_str(), " Width: %d", &width);
			std::sscanf(line.c_str(), " Height: %d", &height);
		}
		return {width, height};
	}

	const std::string& Display() const { return server.display; }

	std::optional<std::string> WindowNamed(const std::string& name) const {
		for (const TopWindow& window : TopWindows()) {
			if (window.name == name) {
				return window.id;
			}
		}
		return std::nullopt;
	}

private:
	std::string Run(const std::string& command) const {
		// The X tools write a window's UTF-8 name as it is only in a UTF-8
		// locale; in the C locale a name like 確認 becomes a conversion error.
		const Outcome outcome = RunChild("LC_ALL=C.UTF-8 DISPLAY=" + server.display, "sh", "-c \"" + command + "\"", 10);
		return outcome.output;
	}

	xvfb_test::PrivateXvfb server;
	pid_t game = -1;
};

}  // namespace faults
