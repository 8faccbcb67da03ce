#include "platform/mesh/XFileDecompressor.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t FILE_HEADER_BYTES = 16;
constexpr size_t SIZE_FIELD_BYTES = 4;
constexpr size_t BLOCK_HEADER_BYTES = 4;
constexpr size_t SIGNATURE_BYTES = 2;
constexpr size_t HISTORY_BYTES = 32768;  // DEFLATE's longest back reference

uint32_t ReadLittleEndian(const uint8_t* bytes, size_t count) {
	uint32_t value = 0;
	for (size_t i = count; i > 0; --i) {
		value = (value << 8) | bytes[i - 1];
	}
	return value;
}

}  // namespace

XFileDecompressor::XFileDecompressor(size_t maxBytes_) : maxBytes(maxBytes_) {}

bool XFileDecompressor::Inflate(std::span<const uint8_t> body, std::vector<uint8_t>& inflated, std::string& why) const {
	inflated.clear();
	if (!InflateBlocks(body, inflated, why)) {
		inflated = std::vector<uint8_t>();
		return false;
	}
	return true;
}

bool XFileDecompressor::InflateBlocks(std::span<const uint8_t> body, std::vector<uint8_t>& inflated,
                                      std::string& why) const {
	if (body.size() < SIZE_FIELD_BYTES) {
		why = "compressed X file is truncated before its size";
		return false;
	}
	const uint32_t fileSize = ReadLittleEndian(body.data(), SIZE_FIELD_BYTES);
	if (fileSize < FILE_HEADER_BYTES) {
		why = "compressed X file states a size smaller than its header";
		return false;
	}
	if (fileSize > maxBytes) {
		why = "compressed X file inflates beyond the size limit";
		return false;
	}
	const size_t wanted = fileSize - FILE_HEADER_BYTES;
	size_t offset = SIZE_FIELD_BYTES;
	while (inflated.size() < wanted) {
		if (body.size() - offset < BLOCK_HEADER_BYTES) {
			why = "compressed X file ends before its stated size";
			return false;
		}
		const size_t blockSize = ReadLittleEndian(body.data() + offset, 2);
		const size_t packedSize = ReadLittleEndian(body.data() + offset + 2, 2);
		offset += BLOCK_HEADER_BYTES;
		if (packedSize > body.size() - offset) {
			why = "compressed X block runs past the end of the file";
			return false;
		}
		if (packedSize < SIGNATURE_BYTES || std::memcmp(body.data() + offset, "CK", SIGNATURE_BYTES) != 0) {
			why = "compressed X block lacks its CK signature";
			return false;
		}
		if (blockSize == 0 || blockSize > wanted - inflated.size()) {
			why = "compressed X block size disagrees with the file size";
			return false;
		}
		const std::span<const uint8_t> deflated = body.subspan(offset + SIGNATURE_BYTES, packedSize - SIGNATURE_BYTES);
		if (!InflateBlock(deflated, blockSize, inflated, why)) {
			return false;
		}
		offset += packedSize;
	}
	return true;
}

// Appends exactly size bytes; the block's DEFLATE stream must end there.
bool XFileDecompressor::InflateBlock(std::span<const uint8_t> deflated, size_t size, std::vector<uint8_t>& inflated,
                                     std::string& why) {
	z_stream stream{};
	if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
		why = "compressed X file: out of memory";
		return false;
	}
	const size_t history = std::min(inflated.size(), HISTORY_BYTES);
	if (history > 0 &&
	    inflateSetDictionary(&stream, inflated.data() + inflated.size() - history, uInt(history)) != Z_OK) {
		inflateEnd(&stream);
		why = "compressed X file: the previous block cannot seed the next";
		return false;
	}
	const size_t start = inflated.size();
	inflated.resize(start + size);
	stream.next_in = const_cast<Bytef*>(deflated.data());
	stream.avail_in = uInt(deflated.size());
	stream.next_out = inflated.data() + start;
	stream.avail_out = uInt(size);
	const int result = inflate(&stream, Z_FINISH);
	const bool filled = stream.avail_out == 0;
	inflateEnd(&stream);
	if (result == Z_STREAM_END && filled) {
		return true;
	}
	if (result == Z_DATA_ERROR) {
		why = "compressed X block holds corrupt DEFLATE data";
	} else if (result == Z_STREAM_END) {
		why = "compressed X block inflates to less than its stated size";
	} else if (filled) {
		why = "compressed X block inflates to more than its stated size";
	} else {
		why = "compressed X block is cut short";
	}
	return false;
}
