#include "tools/assetgen/PngEncoder.h"

#include <stb_image_write.h>

namespace {

void AppendBytes(void* context, void* data, int size) {
	auto* bytes = static_cast<std::vector<uint8_t>*>(context);
	const auto* begin = static_cast<const uint8_t*>(data);
	bytes->insert(bytes->end(), begin, begin + size);
}

}  // namespace

std::vector<uint8_t> PngEncoder::Encode(const Canvas& canvas) {
	stbi_write_png_compression_level = 8;
	stbi_write_force_png_filter = -1;
	const std::vector<uint8_t> rgba = canvas.ToRgba8();
	std::vector<uint8_t> bytes;
	if (!stbi_write_png_to_func(AppendBytes, &bytes, canvas.Width(), canvas.Height(), 4, rgba.data(),
			canvas.Width() * 4)) {
		bytes.clear();
	}
	return bytes;
}
