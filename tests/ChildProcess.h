#pragma once
// Runs a command through the shell, as the tests run the game's programs:
// what it printed and how it ended.

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct ChildOutcome {
	int exitCode = -1;   // -1 when the child did not exit by itself
	std::string output;  // whatever the command sent to the pipe
};

inline ChildOutcome RunShellCommand(const std::string& command) {
	ChildOutcome outcome;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr) {
		return outcome;
	}
	char buffer[4096];
	for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
		outcome.output.append(buffer, read);
	}
	const int status = pclose(pipe);
	outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return outcome;
}
