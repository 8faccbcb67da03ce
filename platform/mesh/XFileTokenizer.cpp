#include "platform/mesh/XFileTokenizer.h"

#include <charconv>

namespace {

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsNameStart(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(uint8_t c) { return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.'; }
bool IsNumberChar(uint8_t c) { return IsDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

}  // namespace

XFileTokenizer::XFileTokenizer(std::span<const uint8_t> bytes_, size_t maxTokenLength_)
	: bytes(bytes_), maxTokenLength(maxTokenLength_) {}

XFileToken XFileTokenizer::Fail(const std::string& why) {
	if (error.empty()) {
		error = why + " at byte " + std::to_string(position);
	}
	position = bytes.size();
	return XFileToken{XFileTokenKind::Error, {}, 0.0};
}

void XFileTokenizer::SkipSpaceAndComments() {
	while (position < bytes.size()) {
		const uint8_t c = bytes[position];
		const bool slashComment = c == '/' && position + 1 < bytes.size() && bytes[position + 1] == '/';
		if (c == '#' || slashComment) {
			while (position < bytes.size() && bytes[position] != '\n') {
				++position;
			}
		} else if (IsSpace(c)) {
			++position;
		} else {
			return;
		}
	}
}

XFileToken XFileTokenizer::Next() {
	if (!error.empty()) {
		return XFileToken{XFileTokenKind::Error, {}, 0.0};
	}
	SkipSpaceAndComments();
	if (position >= bytes.size()) {
		return XFileToken{};
	}
	const uint8_t c = bytes[position];
	const bool dotThenDigit = c == '.' && position + 1 < bytes.size() && IsDigit(bytes[position + 1]);
	if (IsDigit(c) || c == '-' || c == '+' || dotThenDigit) {
		return ReadNumber();
	}
	if (IsNameStart(c)) {
		return ReadName();
	}
	if (c == '"') {
		return ReadString();
	}
	if (c == '<') {
		return ReadGuid();
	}
	++position;
	switch (c) {
	case '{': return XFileToken{XFileTokenKind::OpenBrace, {}, 0.0};
	case '}': return XFileToken{XFileTokenKind::CloseBrace, {}, 0.0};
	case ',':
	case ';': return XFileToken{XFileTokenKind::Separator, {}, 0.0};
	case '[':
	case ']':
	case '.':
	case '(':
	case ')': return XFileToken{XFileTokenKind::Other, {}, 0.0};
	default: --position; return Fail("unexpected character");
	}
}

XFileToken XFileTokenizer::ReadNumber() {
	size_t end = position;
	while (end < bytes.size() && IsNumberChar(bytes[end]) && end - position <= maxTokenLength) {
		++end;
	}
	if (end - position > maxTokenLength) {
		return Fail("number too long");
	}
	size_t begin = position;
	if (bytes[begin] == '+') {
		++begin;  // from_chars takes no explicit plus sign
	}
	const char* first = reinterpret_cast<const char*>(bytes.data()) + begin;
	const char* last = reinterpret_cast<const char*>(bytes.data()) + end;
	double value = 0.0;
	const auto result = std::from_chars(first, last, value);
	if (result.ec != std::errc() || result.ptr != last) {
		return Fail("malformed number");
	}
	bool whole = true;
	for (const char* p = first; p != last; ++p) {
		if (*p == '.' || *p == 'e' || *p == 'E') {
			whole = false;
		}
	}
	position = end;
	return XFileToken{whole ? XFileTokenKind::Integer : XFileTokenKind::Float, {}, value};
}

XFileToken XFileTokenizer::ReadName() {
	size_t end = position;
	while (end < bytes.size() && IsNameChar(bytes[end])) {
		if (end - position >= maxTokenLength) {
			return Fail("name too long");
		}
		++end;
	}
	XFileToken token{XFileTokenKind::Name, std::string(bytes.begin() + position, bytes.begin() + end), 0.0};
	position = end;
	if (token.text == "template") {
		token.kind = XFileTokenKind::Template;
	}
	return token;
}

XFileToken XFileTokenizer::ReadString() {
	size_t end = position + 1;
	while (end < bytes.size() && bytes[end] != '"') {
		if (end - position > maxTokenLength) {
			return Fail("string too long");
		}
		++end;
	}
	if (end >= bytes.size()) {
		return Fail("unterminated string");
	}
	XFileToken token{XFileTokenKind::String, std::string(bytes.begin() + position + 1, bytes.begin() + end), 0.0};
	position = end + 1;
	return token;
}

XFileToken XFileTokenizer::ReadGuid() {
	constexpr size_t longestGuid = 40;  // "<8-4-4-4-12>" with room for spaces
	size_t end = position + 1;
	while (end < bytes.size() && bytes[end] != '>') {
		if (end - position > longestGuid) {
			return Fail("malformed GUID");
		}
		++end;
	}
	if (end >= bytes.size()) {
		return Fail("unterminated GUID");
	}
	position = end + 1;
	return XFileToken{XFileTokenKind::Guid, {}, 0.0};
}
