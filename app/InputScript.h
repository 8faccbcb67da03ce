#pragma once
// The headless runner's input file. One command a line:
//   # comment
//   <frame> down <KEY>      <frame> up <KEY>
//   <frame> move <dx> <dy>  (cursor motion before that frame's update)
//   <frame> close           (the window's close command)
//   answer yes | answer no  (the next question's answer, in order)
//   seed <S>                (the generator's seed, unless one is given otherwise)
//   <frame> stick left|right <x> <y>   (a game pad's stick, -1 to 1, y down)
//   <frame> trigger left|right <v>     (a game pad's trigger, 0 to 1)
//   <frame> pad down|up A|LB           (a game pad's button)
// KEY is one of W A S D F G H J ESCAPE LBUTTON RBUTTON; words ignore case;
// frames count from 0. A pad's controls stay as last set.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ScriptedSystemBackend;

struct InputCommand {
	enum class Kind { KeyDown, KeyUp, Move, Close, Answer, Stick, Trigger, PadDown, PadUp };
	Kind kind = Kind::Close;
	uint32_t frame = 0;
	int virtualKey = 0;
	int dx = 0;
	int dy = 0;
	bool yes = false;  // for Answer
	bool right = false;  // for Stick and Trigger: the right one
	float x = 0.0f;      // Stick, or Trigger's value
	float y = 0.0f;
	bool shoulder = false;  // for PadDown and PadUp: the left shoulder, else A
	int line = 0;
};

class InputScript {
public:
	// Parses every line; false when any line was bad. Good lines are kept
	// either way, and each bad one is reported as "line N: why".
	bool Parse(const std::string& text);

	const std::vector<InputCommand>& Commands() const { return commands; }
	const std::vector<std::string>& Errors() const { return errors; }
	const std::optional<uint32_t>& Seed() const { return seed; }

	void ApplyTo(ScriptedSystemBackend& backend) const;

private:
	bool ParseLine(const std::string& line, int lineNumber, std::string& why);

	bool ParseSeed(const std::vector<std::string>& words, std::string& why);
	static bool ParsePad(const std::vector<std::string>& words, InputCommand& command, std::string& why);

	std::vector<InputCommand> commands;
	std::vector<std::string> errors;
	std::optional<uint32_t> seed;
};
