#pragma once
// Real input on a real X server: a private Xvfb on whatever display number
// is free, SDL's video switched to it, and xdotool pressing keys and moving
// the pointer as a person would. Every wait is bounded.

#include <SDL.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace xvfb_test {

constexpr int CHILD_LIMIT_MS = 5000;
constexpr Uint32 EVENT_WAIT_MS = 3000;

inline bool ProgramOnPath(const char* name) {
	const char* path = std::getenv("PATH");
	std::string rest = path != nullptr ? path : "/usr/bin:/bin";
	while (!rest.empty()) {
		const size_t colon = rest.find(':');
		const std::string folder = rest.substr(0, colon);
		if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) {
			return true;
		}
		rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
	}
	return false;
}

// Starts a program with its output thrown away; -1 when it cannot start.
inline pid_t Spawn(const std::vector<std::string>& arguments) {
	std::vector<char*> argv;
	for (const std::string& argument : arguments) {
		argv.push_back(const_cast<char*>(argument.c_str()));
	}
	argv.push_back(nullptr);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
	pid_t pid = -1;
	const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	return failed == 0 ? pid : -1;
}

// Waits for a child at most limitMs, then kills it. The exit status, or -1.
inline int Reap(pid_t pid, int limitMs) {
	for (int waited = 0;; waited += 5) {
		int status = 0;
		const pid_t done = waitpid(pid, &status, WNOHANG);
		if (done == pid) {
			return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		if (done < 0) {
			return -1;
		}
		if (waited >= limitMs) {
			kill(pid, SIGKILL);
			waitpid(pid, &status, 0);
			return -1;
		}
		SDL_Delay(5);
	}
}

inline bool Xdotool(const std::vector<std::string>& command) {
	std::vector<std::string> arguments = {"xdotool"};
	arguments.insert(arguments.end(), command.begin(), command.end());
	const pid_t pid = Spawn(arguments);
	return pid > 0 && Reap(pid, CHILD_LIMIT_MS) == 0;
}

// A private X server on whatever display number is free.
class PrivateXvfb {
public:
	bool Start() {
		int ends[2];
		if (pipe(ends) != 0) {
			return false;
		}
		fcntl(ends[0], F_SETFD, FD_CLOEXEC);
		pid = Spawn({"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0", "1280x1024x24", "-nolisten",
		             "tcp"});
		close(ends[1]);
		const std::optional<int> number = ReadDisplayNumber(ends[0]);
		close(ends[0]);
		if (!number) {
			Stop();
			return false;
		}
		display = std::to_string(*number);
		display.insert(display.begin(), ':');
		return true;
	}

	void Stop() {
		if (pid > 0) {
			kill(pid, SIGTERM);
			Reap(pid, CHILD_LIMIT_MS);
		}
		pid = -1;
	}

	std::string display;

private:
	// Xvfb writes the number once it accepts connections.
	static std::optional<int> ReadDisplayNumber(int fd) {
		std::string text;
		for (int tries = 0; tries < 100 && text.find('\n') == std::string::npos; ++tries) {
			pollfd ready = {fd, POLLIN, 0};
			if (poll(&ready, 1, 100) <= 0) {
				continue;
			}
			char buffer[16];
			const ssize_t count = read(fd, buffer, sizeof(buffer));
			if (count <= 0) {
				return std::nullopt;
			}
			text.append(buffer, static_cast<size_t>(count));
		}
		if (text.empty() || text.find('\n') == std::string::npos) {
			return std::nullopt;
		}
		return std::atoi(text.c_str());
	}

	pid_t pid = -1;
};

inline void QuitVideo() {
	for (int i = 0; i < 16 && SDL_WasInit(SDL_INIT_VIDEO) != 0; ++i) {
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
	}
}

inline void RestoreVariable(const char* name, const std::optional<std::string>& value) {
	if (value) {
		setenv(name, value->c_str(), 1);
	} else {
		unsetenv(name);
	}
}

inline std::optional<std::string> Variable(const char* name) {
	const char* value = std::getenv(name);
	return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// One server and one switch of SDL to it for a whole suite; Stop puts SDL
// back on the driver the other suites use.
class XvfbSession {
public:
	// Empty once SDL runs on the private server, otherwise why it does not.
	std::string Start() {
		if (!ProgramOnPath("Xvfb") || !ProgramOnPath("xdotool")) {
			return "Xvfb or xdotool is not installed";
		}
		if (!server.Start()) {
			return "Xvfb did not start";
		}
		savedDisplay = Variable("DISPLAY");
		savedDriver = Variable("SDL_VIDEODRIVER");
		switched = true;
		setenv("DISPLAY", server.display.c_str(), 1);
		setenv("SDL_VIDEODRIVER", "x11", 1);
		QuitVideo();
		if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
			return std::string("SDL cannot use the X server: ") + SDL_GetError();
		}
		return "";
	}

	void Stop() {
		if (switched) {
			QuitVideo();
			RestoreVariable("DISPLAY", savedDisplay);
			RestoreVariable("SDL_VIDEODRIVER", savedDriver);
			switched = false;
		}
		server.Stop();
	}

	const std::string& Display() const { return server.display; }

private:
	PrivateXvfb server;
	std::optional<std::string> savedDisplay;
	std::optional<std::string> savedDriver;
	bool switched = false;
};

// Waits, without taking anything, until SDL has queued an event that
// passes the test.
inline bool WaitForEvent(const std::function<bool(const SDL_Event&)>& wanted) {
	std::vector<SDL_Event> events(1024);
	const Uint32 deadline = SDL_GetTicks() + EVENT_WAIT_MS;
	while (!SDL_TICKS_PASSED(SDL_GetTicks(), deadline)) {
		SDL_PumpEvents();
		const int count =
			SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
		for (int i = 0; i < count; ++i) {
			if (wanted(events[static_cast<size_t>(i)])) {
				return true;
			}
		}
		SDL_Delay(2);
	}
	return false;
}

inline std::function<bool(const SDL_Event&)> KeyUp(SDL_Scancode scancode) {
	return [scancode](const SDL_Event& event) {
		return event.type == SDL_KEYUP && event.key.keysym.scancode == scancode;
	};
}

inline std::function<bool(const SDL_Event&)> ButtonUp(Uint8 button) {
	return [button](const SDL_Event& event) {
		return event.type == SDL_MOUSEBUTTONUP && event.button.button == button;
	};
}

// The server handles one client's requests in order and SDL reads its
// events in order: once a shift tap sent after earlier input has arrived,
// so has everything before it. Shift is no game key.
inline bool Sync() {
	SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);
	return Xdotool({"key", "shift"}) && WaitForEvent(KeyUp(SDL_SCANCODE_LSHIFT));
}

inline bool MovePointer(int dx, int dy) {
	return Xdotool({"mousemove_relative", "--", std::to_string(dx), std::to_string(dy)}) && Sync();
}

}  // namespace xvfb_test
