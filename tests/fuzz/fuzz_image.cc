// Feeds arbitrary bytes to the image readers; any crash, overread or
// sanitizer report is a fault.

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	Image image;
	std::string why;
	if (ReadImage(data, size, image, why)) {
		// A successful read must describe exactly the surfaces it holds.
		if (image.surfaces.size() != size_t(image.faces) * image.mipLevels) {
			__builtin_trap();
		}
	}
	return 0;
}
