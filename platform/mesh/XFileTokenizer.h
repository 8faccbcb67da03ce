#pragma once
// Tokens of the text X-file encoding ("txt "), read from a byte span that
// starts after the 16-byte file header.

#include "platform/mesh/XFileTokenStream.h"

#include <cstdint>
#include <span>

class XFileTokenizer : public XFileTokenStream {
public:
	XFileTokenizer(std::span<const uint8_t> bytes, size_t maxTokenLength);

	XFileToken Next() override;
	size_t BytesLeft() const override { return bytes.size() - position; }
	size_t MinimumBytesPerNumber() const override { return 1; }
	const std::string& Error() const override { return error; }

private:
	void SkipSpaceAndComments();
	XFileToken ReadNumber();
	XFileToken ReadName();
	XFileToken ReadString();
	XFileToken ReadGuid();
	XFileToken Fail(const std::string& why);

	std::span<const uint8_t> bytes;
	size_t position = 0;
	size_t maxTokenLength;
	std::string error;
};
