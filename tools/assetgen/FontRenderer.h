#pragma once
// Sets lines of text from a font file through FreeType into coverage masks.

#include "tools/assetgen/Canvas.h"

#include <memory>
#include <string>

// The typeface the pictures use, installed by the fonts-play package.
extern const char* const DISPLAY_FONT_BOLD;
extern const char* const DISPLAY_FONT_REGULAR;

struct TextStyle {
	int pixelHeight = 32;
	float tracking = 0.0f;  // extra pixels between letters
};

class FontRenderer {
public:
	FontRenderer();
	~FontRenderer();
	FontRenderer(const FontRenderer&) = delete;
	FontRenderer& operator=(const FontRenderer&) = delete;

	// False (with the reason) when the file is missing or not a font.
	bool Load(const std::string& path, std::string& why);

	float MeasureWidth(const std::string& text, const TextStyle& style) const;
	// Draws the text's coverage into a mask of the canvas size: the line's
	// horizontal centre at centreX, its baseline at baselineY.
	Mask Render(const std::string& text, const TextStyle& style, float centreX, float baselineY, int width,
		int height) const;

private:
	struct Library;
	std::unique_ptr<Library> library;
};
