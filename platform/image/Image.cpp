#include "platform/image/Image.h"

#include <cstring>

bool ReadImage(const uint8_t* data, size_t size, Image& image, std::string& why) {
	static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
	if (data != nullptr && size >= sizeof(pngSignature) && std::memcmp(data, pngSignature, sizeof(pngSignature)) == 0) {
		return ReadPngImage(data, size, image, why);
	}
	if (data != nullptr && size >= 4 && std::memcmp(data, "DDS ", 4) == 0) {
		return ReadDdsImage(data, size, image, why);
	}
	image = Image{};
	why = "unrecognised image file signature";
	return false;
}
