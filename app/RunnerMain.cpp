// vortane-run: the game headless, for tests, tools and benchmarks.

#include "app/HeadlessRunner.h"

#include <iostream>

int main(int argc, char** argv) {
	RunnerOptions options;
	std::string why;
	if (!RunnerOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, why)) {
		std::cerr << "vortane-run: " << why << "\n" << RunnerOptions::Usage() << "\n";
		return 2;
	}
	HeadlessRunner runner(options);
	return runner.Run(std::cout, std::cerr);
}
