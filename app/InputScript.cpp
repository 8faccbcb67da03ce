#include "app/InputScript.h"

#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/Win32.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace {

std::string UpperCase(std::string word) {
	std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::toupper(c); });
	return word;
}

int VirtualKeyNamed(const std::string& name) {
	const std::string key = UpperCase(name);
	if (key == "ESCAPE") {
		return VK_ESCAPE;
	}
	if (key == "LBUTTON") {
		return VK_LBUTTON;
	}
	if (key == "RBUTTON") {
		return VK_RBUTTON;
	}
	if (key.size() == 1 && std::string("WASDFGHJ").find(key[0]) != std::string::npos) {
		return key[0];
	}
	return 0;
}

template <typename Number>
bool ReadNumber(const std::string& word, Number& value) {
	const char* end = word.data() + word.size();
	const auto [stop, error] = std::from_chars(word.data(), end, value);
	return error == std::errc() && stop == end;
}

std::vector<std::string> SplitWords(const std::string& line) {
	std::istringstream stream(line);
	std::vector<std::string> words;
	for (std::string word; stream >> word;) {
		words.push_back(word);
	}
	return words;
}

}  // namespace

bool InputScript::Parse(const std::string& text) {
	commands.clear();
	errors.clear();
	seed.reset();
	std::istringstream stream(text);
	int lineNumber = 0;
	for (std::string line; std::getline(stream, line);) {
		++lineNumber;
		std::string why;
		if (!ParseLine(line, lineNumber, why)) {
			errors.push_back("line " + std::to_string(lineNumber) + ": " + why);
		}
	}
	return errors.empty();
}

bool InputScript::ParseLine(const std::string& line, int lineNumber, std::string& why) {
	const std::vector<std::string> words = SplitWords(line);
	if (words.empty() || words[0][0] == '#') {
		return true;
	}
	if (UpperCase(words[0]) == "SEED") {
		return ParseSeed(words, why);
	}
	InputCommand command;
	command.line = lineNumber;

	if (UpperCase(words[0]) == "ANSWER") {
		const std::string answer = words.size() == 2 ? UpperCase(words[1]) : "";
		if (answer != "YES" && answer != "NO") {
			why = "expected 'answer yes' or 'answer no'";
			return false;
		}
		command.kind = InputCommand::Kind::Answer;
		command.yes = answer == "YES";
		commands.push_back(command);
		return true;
	}

	if (!ReadNumber(words[0], command.frame)) {
		why = "'" + words[0] + "' is not a frame number";
		return false;
	}
	const std::string verb = words.size() > 1 ? UpperCase(words[1]) : "";
	if (verb == "DOWN" || verb == "UP") {
		if (words.size() != 3 || (command.virtualKey = VirtualKeyNamed(words[2])) == 0) {
			why = "expected a key (W A S D F G H J ESCAPE LBUTTON RBUTTON) after '" + words[1] + "'";
			return false;
		}
		command.kind = verb == "DOWN" ? InputCommand::Kind::KeyDown : InputCommand::Kind::KeyUp;
	} else if (verb == "MOVE") {
		if (words.size() != 4 || !ReadNumber(words[2], command.dx) || !ReadNumber(words[3], command.dy)) {
			why = "expected 'move <dx> <dy>' with whole numbers";
			return false;
		}
		command.kind = InputCommand::Kind::Move;
	} else if (verb == "STICK" || verb == "TRIGGER" || verb == "PAD") {
		if (!ParsePad(words, command, why)) {
			return false;
		}
	} else if (verb == "CLOSE") {
		if (words.size() != 2) {
			why = "nothing may follow 'close'";
			return false;
		}
		command.kind = InputCommand::Kind::Close;
	} else {
		why = "unknown command '" + (words.size() > 1 ? words[1] : std::string()) + "'";
		return false;
	}
	commands.push_back(command);
	return true;
}

// words[0] is the frame and words[1] the verb, both read already.
bool InputScript::ParsePad(const std::vector<std::string>& words, InputCommand& command, std::string& why) {
	const std::string verb = UpperCase(words[1]);
	const std::string which = words.size() > 2 ? UpperCase(words[2]) : "";
	if (verb == "PAD") {
		if (words.size() != 4 || (which != "DOWN" && which != "UP") ||
		    (UpperCase(words[3]) != "A" && UpperCase(words[3]) != "LB")) {
			why = "expected 'pad down|up A|LB'";
			return false;
		}
		command.kind = which == "DOWN" ? InputCommand::Kind::PadDown : InputCommand::Kind::PadUp;
		command.shoulder = UpperCase(words[3]) == "LB";
		return true;
	}
	const bool stick = verb == "STICK";
	const size_t wordCount = stick ? 5 : 4;
	const bool sideKnown = which == "LEFT" || which == "RIGHT";
	const float low = stick ? -1.0f : 0.0f;
	// Written so that NaN fails too.
	const auto inRange = [low](float value) { return value >= low && value <= 1.0f; };
	if (words.size() != wordCount || !sideKnown || !ReadNumber(words[3], command.x) || !inRange(command.x) ||
	    (stick && (!ReadNumber(words[4], command.y) || !inRange(command.y)))) {
		why = stick ? "expected 'stick left|right <x> <y>' with x and y from -1 to 1"
		            : "expected 'trigger left|right <v>' with v from 0 to 1";
		return false;
	}
	command.kind = stick ? InputCommand::Kind::Stick : InputCommand::Kind::Trigger;
	command.right = which == "RIGHT";
	return true;
}

bool InputScript::ParseSeed(const std::vector<std::string>& words, std::string& why) {
	uint32_t value = 0;
	if (words.size() != 2 || !ReadNumber(words[1], value)) {
		why = "expected 'seed <S>' with S from 0 to 4294967295";
		return false;
	}
	if (seed) {
		why = "a second seed";
		return false;
	}
	seed = value;
	return true;
}

void InputScript::ApplyTo(ScriptedSystemBackend& backend) const {
	for (const InputCommand& command : commands) {
		switch (command.kind) {
		case InputCommand::Kind::KeyDown:
			backend.SetKey(command.frame, command.virtualKey, true);
			break;
		case InputCommand::Kind::KeyUp:
			backend.SetKey(command.frame, command.virtualKey, false);
			break;
		case InputCommand::Kind::Move:
			backend.MoveCursor(command.frame, command.dx, command.dy);
			break;
		case InputCommand::Kind::Close:
			backend.CloseWindow(command.frame);
			break;
		case InputCommand::Kind::Answer:
			backend.QueueAnswer(command.yes ? IDYES : IDNO);
			break;
		case InputCommand::Kind::Stick:
			backend.SetPadAxis(command.frame, command.right ? GamepadAxis::RightX : GamepadAxis::LeftX, command.x);
			backend.SetPadAxis(command.frame, command.right ? GamepadAxis::RightY : GamepadAxis::LeftY, command.y);
			break;
		case InputCommand::Kind::Trigger:
			backend.SetPadAxis(command.frame, command.right ? GamepadAxis::RightTrigger : GamepadAxis::LeftTrigger,
			                   command.x);
			break;
		case InputCommand::Kind::PadDown:
		case InputCommand::Kind::PadUp:
			backend.SetPadButton(command.frame, command.shoulder ? GamepadButton::LeftShoulder : GamepadButton::A,
			                     command.kind == InputCommand::Kind::PadDown);
			break;
		}
	}
}
