#include "app/InputRecorder.h"

#include "platform/system/Win32.h"

bool InputRecorder::Open(const std::string& path, std::string& why) {
	file.open(path, std::ios::binary | std::ios::trunc);
	if (!file) {
		why = "cannot write the record file " + path;
		out = nullptr;
		return false;
	}
	out = &file;
	return true;
}

const char* InputRecorder::KeyName(int virtualKey) {
	switch (virtualKey) {
	case VK_ESCAPE: return "ESCAPE";
	case VK_LBUTTON: return "LBUTTON";
	case VK_RBUTTON: return "RBUTTON";
	case 'W': return "W";
	case 'A': return "A";
	case 'S': return "S";
	case 'D': return "D";
	case 'F': return "F";
	case 'G': return "G";
	case 'H': return "H";
	case 'J': return "J";
	default: return nullptr;
	}
}

void InputRecorder::Comment(const std::string& text) {
	if (out != nullptr) {
		*out << "# " << text << "\n";
	}
}

void InputRecorder::Seed(uint32_t seed) {
	if (out != nullptr) {
		*out << "seed " << seed << "\n";
	}
}

bool InputRecorder::Key(uint32_t frame, int virtualKey, bool down) {
	const char* name = KeyName(virtualKey);
	if (name == nullptr) {
		return false;
	}
	if (out != nullptr) {
		*out << frame << (down ? " down " : " up ") << name << "\n";
	}
	return true;
}

void InputRecorder::Move(uint32_t frame, int dx, int dy) {
	if (out != nullptr) {
		*out << frame << " move " << dx << " " << dy << "\n";
	}
}

void InputRecorder::Close(uint32_t frame) {
	if (out != nullptr) {
		*out << frame << " close\n";
	}
}

void InputRecorder::Answer(bool yes) {
	if (out != nullptr) {
		*out << (yes ? "answer yes\n" : "answer no\n");
	}
}

void InputRecorder::Flush() {
	if (out != nullptr) {
		out->flush();
	}
}
