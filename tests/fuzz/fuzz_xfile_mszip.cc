// libFuzzer target: the MSZIP inflater of compressed X files on its own, so
// mutations reach the block headers and DEFLATE data without first having
// to keep a whole X file intact.

#include "platform/mesh/XFileDecompressor.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	constexpr size_t MAX_BYTES = 1u << 20;
	std::vector<uint8_t> inflated;
	std::string why;
	const bool read = XFileDecompressor(MAX_BYTES).Inflate(std::span<const uint8_t>(data, size), inflated, why);
	// Success yields exactly the stated size less the header; failure says why and keeps nothing.
	if (read) {
		const uint32_t stated = uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16)
		                      | (uint32_t(data[3]) << 24);
		if (inflated.size() + 16 != stated || stated > MAX_BYTES) {
			__builtin_trap();
		}
	} else if (why.empty() || !inflated.empty()) {
		__builtin_trap();
	}
	return 0;
}
