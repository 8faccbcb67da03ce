#pragma once
// Tokens of the binary X-file encoding ("bin "), read from a byte span that
// starts after the 16-byte file header. Every token begins with a 16-bit
// little-endian code; lists carry a 32-bit element count that is checked
// against the bytes left before it is believed.

#include "platform/mesh/XFileTokenStream.h"

#include <cstdint>
#include <span>

class XFileBinaryReader : public XFileTokenStream {
public:
	// floatBytes is 4 ("0032") or 8 ("0064").
	XFileBinaryReader(std::span<const uint8_t> bytes, size_t floatBytes, size_t maxTokenLength);

	XFileToken Next() override;
	size_t BytesLeft() const override { return bytes.size() - position; }
	size_t MinimumBytesPerNumber() const override { return 4; }
	const std::string& Error() const override { return error; }

private:
	bool ReadWord(uint16_t& value);
	bool ReadDword(uint32_t& value);
	XFileToken ReadListElement();
	XFileToken ReadText(XFileTokenKind kind);
	bool StartList(bool floats);
	XFileToken Fail(const std::string& why);

	std::span<const uint8_t> bytes;
	size_t position = 0;
	size_t floatBytes;
	size_t maxTokenLength;
	uint32_t listLeft = 0;  // elements still to hand out from the current list
	bool listOfFloats = false;
	std::string error;
};
