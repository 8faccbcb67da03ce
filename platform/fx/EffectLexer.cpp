#include "platform/fx/EffectLexer.h"

static bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
static bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }
static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

EffectLexer::EffectLexer(std::string_view text_, int firstLine) : text(text_), line(firstLine) {}

char EffectLexer::Peek(size_t ahead) const {
	return position + ahead < text.size() ? text[position + ahead] : '\0';
}

EffectToken EffectLexer::MakeError(std::string reason) {
	errorText = std::move(reason);
	position = text.size();
	return {EffectTokenKind::Error, errorText, line};
}

void EffectLexer::SkipSpaceAndComments(std::string& error) {
	while (!AtEnd()) {
		const char c = Peek();
		if (c == '\n') {
			++line;
			++position;
		} else if (IsBlank(c)) {
			++position;
		} else if (c == '/' && Peek(1) == '/') {
			while (!AtEnd() && Peek() != '\n') {
				++position;
			}
		} else if (c == '/' && Peek(1) == '*') {
			const int opened = line;
			position += 2;
			while (!AtEnd() && !(Peek() == '*' && Peek(1) == '/')) {
				line += Peek() == '\n' ? 1 : 0;
				++position;
			}
			if (AtEnd()) {
				line = opened;
				error = "comment is never closed";
				return;
			}
			position += 2;
		} else {
			return;
		}
	}
}

EffectToken EffectLexer::LexRawBlock() {
	const int opened = line;
	position += 3;
	while (!AtEnd() && IsBlank(Peek())) {
		++position;
	}
	if (!AtEnd() && Peek() != '\n') {
		return MakeError("'<<<' must end its line");
	}
	if (AtEnd()) {
		return MakeError("GLSL block is never closed by '>>>'");
	}
	++position;
	++line;
	const size_t start = position;
	const int firstLine = line;
	while (!AtEnd()) {
		// One line at a time: a line whose only text is ">>>" closes the block.
		const size_t lineStart = position;
		size_t lineEnd = text.find('\n', lineStart);
		if (lineEnd == std::string_view::npos) {
			lineEnd = text.size();
		}
		std::string_view content = text.substr(lineStart, lineEnd - lineStart);
		while (!content.empty() && IsBlank(content.front())) {
			content.remove_prefix(1);
		}
		while (!content.empty() && IsBlank(content.back())) {
			content.remove_suffix(1);
		}
		if (content == ">>>") {
			const std::string_view body = text.substr(start, lineStart - start);
			position = lineEnd;
			return {EffectTokenKind::RawBlock, body, firstLine};
		}
		position = lineEnd;
		if (!AtEnd()) {
			++position;
			++line;
		}
	}
	line = opened;
	return MakeError("GLSL block is never closed by '>>>'");
}

EffectToken EffectLexer::Next() {
	std::string error;
	SkipSpaceAndComments(error);
	if (!error.empty()) {
		return MakeError(std::move(error));
	}
	if (AtEnd()) {
		return {EffectTokenKind::End, {}, line};
	}
	const size_t start = position;
	const char c = Peek();
	if (IsNameStart(c)) {
		while (IsNameChar(Peek())) {
			++position;
		}
		return {EffectTokenKind::Name, text.substr(start, position - start), line};
	}
	const bool signedNumber = (c == '-' || c == '+') && (IsDigit(Peek(1)) || (Peek(1) == '.' && IsDigit(Peek(2))));
	if (IsDigit(c) || (c == '.' && IsDigit(Peek(1))) || signedNumber) {
		position += signedNumber ? 1 : 0;
		while (IsDigit(Peek())) {
			++position;
		}
		if (Peek() == '.') {
			++position;
			while (IsDigit(Peek())) {
				++position;
			}
		}
		if ((Peek() == 'e' || Peek() == 'E') &&
		    (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
			position += 2;
			while (IsDigit(Peek())) {
				++position;
			}
		}
		if (Peek() == 'f' || Peek() == 'F') {
			++position;  // HLSL habit: 0.5f
		}
		if (IsNameChar(Peek())) {
			return MakeError("malformed number");
		}
		return {EffectTokenKind::Number, text.substr(start, position - start), line};
	}
	if (c == '<' && Peek(1) == '<' && Peek(2) == '<') {
		return LexRawBlock();
	}
	if (c == '{' || c == '}' || c == ';' || c == '=' || c == ',') {
		++position;
		return {EffectTokenKind::Symbol, text.substr(start, 1), line};
	}
	const unsigned byte = static_cast<unsigned char>(c);
	if (byte >= 0x20 && byte < 0x7F) {
		return MakeError(std::string("unexpected character '") + c + "'");
	}
	return MakeError("unexpected byte " + std::to_string(byte));
}
