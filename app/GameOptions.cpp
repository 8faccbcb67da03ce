#include "app/GameOptions.h"

const char* GameOptions::Usage() { return "usage: vortane [--record FILE] [--trace FILE]"; }

bool GameOptions::Parse(const std::vector<std::string>& arguments, GameOptions& options, std::string& why) {
	options = GameOptions{};
	for (size_t i = 0; i < arguments.size(); ++i) {
		const std::string& argument = arguments[i];
		std::string* value = argument == "--record" ? &options.recordFile
		                     : argument == "--trace" ? &options.traceFile
		                                             : nullptr;
		if (value == nullptr) {
			why = "unknown argument '" + argument + "'";
			return false;
		}
		if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
			why = argument + " needs a file";
			return false;
		}
		*value = arguments[++i];
	}
	return true;
}
