// Feeds arbitrary bytes to the image readers (PNG, and DDS in every layout
// it converts); any crash, overread or sanitizer report is a fault.

#include "platform/image/Image.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Bytes one level must hold: whole 4x4 blocks, or four bytes a pixel.
size_t LevelBytes(PixelFormat format, uint32_t width, uint32_t height) {
	switch (format) {
	case PixelFormat::DXT1: return size_t((width + 3) / 4) * ((height + 3) / 4) * 8;
	case PixelFormat::DXT3:
	case PixelFormat::DXT5: return size_t((width + 3) / 4) * ((height + 3) / 4) * 16;
	default: return size_t(width) * height * 4;
	}
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	Image image;
	std::string why;
	if (!ReadImage(data, size, image, why)) {
		if (why.empty() || !image.surfaces.empty()) {
			__builtin_trap();  // a refusal says why and leaves nothing behind
		}
		return 0;
	}
	// A successful read must describe exactly the surfaces it holds, each
	// level half the one before it and exactly as many bytes as the GPU
	// layer will upload from it.
	if (image.surfaces.size() != size_t(image.faces) * image.mipLevels) {
		__builtin_trap();
	}
	for (uint32_t face = 0; face < image.faces; face++) {
		for (uint32_t level = 0; level < image.mipLevels; level++) {
			const ImageSurface& surface = image.Surface(face, level);
			const uint32_t width = std::max(image.width >> level, 1u);
			const uint32_t height = std::max(image.height >> level, 1u);
			if (surface.width != width || surface.height != height
			    || surface.bytes.size() != LevelBytes(image.format, width, height)) {
				__builtin_trap();
			}
		}
	}
	return 0;
}
