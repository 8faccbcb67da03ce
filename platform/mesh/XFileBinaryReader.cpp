#include "platform/mesh/XFileBinaryReader.h"

#include <cstring>

namespace {

enum BinaryToken : uint16_t {
	TOKEN_NAME = 1,
	TOKEN_STRING = 2,
	TOKEN_INTEGER = 3,
	TOKEN_GUID = 5,
	TOKEN_INTEGER_LIST = 6,
	TOKEN_FLOAT_LIST = 7,
	TOKEN_OBRACE = 10,
	TOKEN_CBRACE = 11,
	TOKEN_COMMA = 19,
	TOKEN_SEMICOLON = 20,
	TOKEN_TEMPLATE = 31,
};

constexpr uint16_t FIRST_PUNCTUATION = 12;  // ( ) [ ] < > .
constexpr uint16_t LAST_PUNCTUATION = 18;
constexpr uint16_t FIRST_KEYWORD = 40;      // WORD DWORD FLOAT ... ARRAY
constexpr uint16_t LAST_KEYWORD = 52;
constexpr size_t GUID_BYTES = 16;

}  // namespace

XFileBinaryReader::XFileBinaryReader(std::span<const uint8_t> bytes_, size_t floatBytes_, size_t maxTokenLength_)
	: bytes(bytes_), floatBytes(floatBytes_), maxTokenLength(maxTokenLength_) {}

XFileToken XFileBinaryReader::Fail(const std::string& why) {
	if (error.empty()) {
		error = why + " at byte " + std::to_string(position);
	}
	position = bytes.size();
	listLeft = 0;
	return XFileToken{XFileTokenKind::Error, {}, 0.0};
}

bool XFileBinaryReader::ReadWord(uint16_t& value) {
	if (BytesLeft() < 2) {
		return false;
	}
	value = uint16_t(bytes[position] | (bytes[position + 1] << 8));
	position += 2;
	return true;
}

bool XFileBinaryReader::ReadDword(uint32_t& value) {
	if (BytesLeft() < 4) {
		return false;
	}
	value = uint32_t(bytes[position]) | (uint32_t(bytes[position + 1]) << 8) | (uint32_t(bytes[position + 2]) << 16) |
	        (uint32_t(bytes[position + 3]) << 24);
	position += 4;
	return true;
}

XFileToken XFileBinaryReader::Next() {
	if (!error.empty()) {
		return XFileToken{XFileTokenKind::Error, {}, 0.0};
	}
	uint16_t code = 0;
	do {
		if (listLeft > 0) {
			return ReadListElement();
		}
		if (BytesLeft() == 0) {
			return XFileToken{};
		}
		if (!ReadWord(code)) {
			return Fail("truncated token");
		}
		// Lists open without a token of their own; an empty one yields nothing.
		if (code == TOKEN_INTEGER_LIST || code == TOKEN_FLOAT_LIST) {
			if (!StartList(code == TOKEN_FLOAT_LIST)) {
				return Fail("list runs past the end");
			}
		}
	} while (code == TOKEN_INTEGER_LIST || code == TOKEN_FLOAT_LIST);
	switch (code) {
	case TOKEN_NAME: return ReadText(XFileTokenKind::Name);
	case TOKEN_STRING: return ReadText(XFileTokenKind::String);
	case TOKEN_INTEGER: {
		uint32_t value = 0;
		if (!ReadDword(value)) {
			return Fail("truncated integer");
		}
		return XFileToken{XFileTokenKind::Integer, {}, double(value)};
	}
	case TOKEN_GUID:
		if (BytesLeft() < GUID_BYTES) {
			return Fail("truncated GUID");
		}
		position += GUID_BYTES;
		return XFileToken{XFileTokenKind::Guid, {}, 0.0};
	case TOKEN_OBRACE: return XFileToken{XFileTokenKind::OpenBrace, {}, 0.0};
	case TOKEN_CBRACE: return XFileToken{XFileTokenKind::CloseBrace, {}, 0.0};
	case TOKEN_COMMA:
	case TOKEN_SEMICOLON: return XFileToken{XFileTokenKind::Separator, {}, 0.0};
	case TOKEN_TEMPLATE: return XFileToken{XFileTokenKind::Template, {}, 0.0};
	default:
		if ((code >= FIRST_PUNCTUATION && code <= LAST_PUNCTUATION) || (code >= FIRST_KEYWORD && code <= LAST_KEYWORD)) {
			return XFileToken{XFileTokenKind::Other, {}, 0.0};
		}
		position -= 2;
		return Fail("unknown token " + std::to_string(code));
	}
}

XFileToken XFileBinaryReader::ReadText(XFileTokenKind kind) {
	uint32_t length = 0;
	if (!ReadDword(length)) {
		return Fail("truncated length");
	}
	if (length > maxTokenLength) {
		return Fail("text too long");
	}
	if (length > BytesLeft()) {
		return Fail("text runs past the end");
	}
	XFileToken token{kind, std::string(bytes.begin() + position, bytes.begin() + position + length), 0.0};
	position += length;
	// A string is stored with a trailing NUL by some writers and is followed
	// by its terminating ',' or ';' token.
	if (kind == XFileTokenKind::String) {
		const size_t nul = token.text.find('\0');
		if (nul != std::string::npos) {
			token.text.resize(nul);
		}
		uint16_t terminator = 0;
		if (!ReadWord(terminator) || (terminator != TOKEN_COMMA && terminator != TOKEN_SEMICOLON)) {
			return Fail("string without terminator");
		}
	}
	return token;
}

bool XFileBinaryReader::StartList(bool floats) {
	uint32_t count = 0;
	if (!ReadDword(count)) {
		return false;
	}
	const size_t elementBytes = floats ? floatBytes : 4;
	if (size_t(count) > BytesLeft() / elementBytes) {
		return false;
	}
	listLeft = count;
	listOfFloats = floats;
	return true;
}

XFileToken XFileBinaryReader::ReadListElement() {
	--listLeft;
	if (!listOfFloats) {
		uint32_t value = 0;
		ReadDword(value);  // length was checked when the list began
		return XFileToken{XFileTokenKind::Integer, {}, double(value)};
	}
	double value = 0.0;
	if (floatBytes == 8) {
		std::memcpy(&value, bytes.data() + position, 8);
	} else {
		float single = 0.0f;
		std::memcpy(&single, bytes.data() + position, 4);
		value = single;
	}
	position += floatBytes;
	return XFileToken{XFileTokenKind::Float, {}, value};
}
