#pragma once
// Writes a game's input in the headless runner's input grammar (see
// InputScript), so that `vortane-run --input` plays the same game again: the
// seed, key and button changes and cursor motion by frame, window closes, and
// the answers to the game's questions in the order they were given. Lines are
// flushed at the end of every frame, so a game that dies leaves every whole
// frame it played on disk.

#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>

class InputRecorder {
public:
	// Writes into a file of its own; false with the reason when it cannot.
	bool Open(const std::string& path, std::string& why);
	// Writes into a stream the caller keeps alive.
	void WriteTo(std::ostream& stream) { out = &stream; }
	bool IsOpen() const { return out != nullptr; }

	void Comment(const std::string& text);
	void Seed(uint32_t seed);
	// False for a key the grammar has no name for; nothing is written then.
	bool Key(uint32_t frame, int virtualKey, bool down);
	void Move(uint32_t frame, int dx, int dy);
	void Close(uint32_t frame);
	void Answer(bool yes);
	void Flush();

	// The grammar's name for a virtual key, or null.
	static const char* KeyName(int virtualKey);

private:
	std::ofstream file;
	std::ostream* out = nullptr;
};
