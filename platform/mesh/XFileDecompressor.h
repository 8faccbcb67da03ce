#pragma once
// Inflates the compressed X-file encodings ("tzip", "bzip"). After the
// 16-byte file header come the whole file's inflated size (header included)
// and MSZIP blocks: a 16-bit inflated size, a 16-bit packed size, then "CK"
// and raw DEFLATE data (the packed size counts the "CK"). Like MSZIP, every
// block may refer back into the 32 KiB inflated before it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class XFileDecompressor {
public:
	// maxBytes caps the inflated file, header included.
	explicit XFileDecompressor(size_t maxBytes);

	// body starts after the 16-byte header and inflates to what follows the
	// header of the equivalent uncompressed file; on failure inflated is
	// left empty and why says what was wrong.
	bool Inflate(std::span<const uint8_t> body, std::vector<uint8_t>& inflated, std::string& why) const;

private:
	bool InflateBlocks(std::span<const uint8_t> body, std::vector<uint8_t>& inflated, std::string& why) const;
	static bool InflateBlock(std::span<const uint8_t> deflated, size_t size, std::vector<uint8_t>& inflated,
	                         std::string& why);

	size_t maxBytes;
};
