// assetgen DATA_DIR: writes every mesh, texture, sound and effect file the
// game reads. The same sources always give the same bytes.

#include "tools/assetgen/AssetOutput.h"

#include <cstdio>

int main(int argc, char** argv) {
	if (argc != 2) {
		std::fprintf(stderr, "usage: assetgen DATA_DIR\n");
		return 2;
	}
	AssetOutput output(argv[1]);
	bool ok = GenerateMeshes(output);
	ok = GenerateTextures(output) && ok;
	ok = GenerateSounds(output) && ok;
	ok = GenerateEffects(output) && ok;
	ok = GenerateIcons(output) && ok;
	if (!ok || output.Failed()) {
		std::fprintf(stderr, "assetgen: generation failed\n");
		return 1;
	}
	std::printf("assetgen: %zu files written to %s\n", output.Written().size(), argv[1]);
	return 0;
}
