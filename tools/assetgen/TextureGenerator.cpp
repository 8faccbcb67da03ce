// The picture families of the game: title, result, battle HUD and shading.

#include "tools/assetgen/TextureArt.h"

#include <cstdio>

bool GenerateTextures(AssetOutput& output) {
	ArtFonts fonts;
	std::string why;
	if (!fonts.bold.Load(DISPLAY_FONT_BOLD, why) || !fonts.regular.Load(DISPLAY_FONT_REGULAR, why)) {
		std::fprintf(stderr, "assetgen: %s\n", why.c_str());
		return false;
	}
	bool ok = WriteTitleTextures(output, fonts);
	ok = WriteResultTextures(output, fonts) && ok;
	ok = WriteHudTextures(output, fonts) && ok;
	ok = WriteShadingTextures(output) && ok;
	return ok;
}
