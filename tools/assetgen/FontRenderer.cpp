#include "tools/assetgen/FontRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

const char* const DISPLAY_FONT_BOLD = "/usr/share/fonts/truetype/play/Play-Bold.ttf";
const char* const DISPLAY_FONT_REGULAR = "/usr/share/fonts/truetype/play/Play-Regular.ttf";

struct FontRenderer::Library {
	FT_Library library = nullptr;
	FT_Face face = nullptr;

	~Library() {
		if (face) {
			FT_Done_Face(face);
		}
		if (library) {
			FT_Done_FreeType(library);
		}
	}
};

namespace {

// Walks the glyphs of a line, calling visit(glyphSlot, penX) for each.
template <typename Visit>
float LayOut(FT_Face face, const std::string& text, const TextStyle& style, Visit visit) {
	FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixelHeight));
	float pen = 0.0f;
	FT_UInt previous = 0;
	for (size_t i = 0; i < text.size(); ++i) {
		const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
		if (previous && glyph && FT_HAS_KERNING(face)) {
			FT_Vector kerning;
			if (FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning) == 0) {
				pen += static_cast<float>(kerning.x) / 64.0f;
			}
		}
		if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) {
			continue;
		}
		visit(face->glyph, pen);
		pen += static_cast<float>(face->glyph->advance.x) / 64.0f;
		if (i + 1 < text.size()) {
			pen += style.tracking;
		}
		previous = glyph;
	}
	return pen;
}

}  // namespace

FontRenderer::FontRenderer() = default;
FontRenderer::~FontRenderer() = default;

bool FontRenderer::Load(const std::string& path, std::string& why) {
	auto loaded = std::make_unique<Library>();
	if (FT_Init_FreeType(&loaded->library) != 0) {
		why = "FreeType could not start";
		return false;
	}
	if (FT_New_Face(loaded->library, path.c_str(), 0, &loaded->face) != 0) {
		why = "cannot open font " + path + " (install the fonts-play package: scripts/setup.sh)";
		return false;
	}
	library = std::move(loaded);
	return true;
}

float FontRenderer::MeasureWidth(const std::string& text, const TextStyle& style) const {
	if (!library) {
		return 0.0f;
	}
	return LayOut(library->face, text, style, [](FT_GlyphSlot, float) {});
}

Mask FontRenderer::Render(const std::string& text, const TextStyle& style, float centreX, float baselineY, int width,
	int height) const {
	Mask mask(width, height);
	if (!library) {
		return mask;
	}
	const float left = std::round(centreX - MeasureWidth(text, style) * 0.5f);
	const int baseline = static_cast<int>(std::lround(baselineY));
	LayOut(library->face, text, style, [&](FT_GlyphSlot slot, float pen) {
		const FT_Bitmap& bitmap = slot->bitmap;
		const int originX = static_cast<int>(std::lround(left + pen)) + slot->bitmap_left;
		const int originY = baseline - slot->bitmap_top;
		for (unsigned row = 0; row < bitmap.rows; ++row) {
			for (unsigned column = 0; column < bitmap.width; ++column) {
				const int x = originX + static_cast<int>(column);
				const int y = originY + static_cast<int>(row);
				if (x < 0 || y < 0 || x >= width || y >= height) {
					continue;
				}
				const float value = bitmap.buffer[row * bitmap.pitch + column] / 255.0f;
				mask.Set(x, y, std::max(mask.At(x, y), value));
			}
		}
	});
	return mask;
}
