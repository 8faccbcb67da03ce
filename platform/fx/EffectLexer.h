#pragma once
// Splits the body of an effect file into tokens: names, numbers, the
// punctuation { } ; = , and raw GLSL blocks written between a "<<<" that
// ends its line and a line holding only ">>>". Never reads past its text.

#include <string>
#include <string_view>

enum class EffectTokenKind {
	Name,
	Number,
	Symbol,
	RawBlock,
	End,
	Error,
};

struct EffectToken {
	EffectTokenKind kind = EffectTokenKind::End;
	std::string_view text;  // for RawBlock the GLSL text; for Error the reason
	int line = 0;           // for RawBlock the line of its first text line
};

class EffectLexer {
public:
	EffectLexer(std::string_view text, int firstLine);

	EffectToken Next();
	int Line() const { return line; }

private:
	bool AtEnd() const { return position >= text.size(); }
	char Peek(size_t ahead = 0) const;
	void SkipSpaceAndComments(std::string& error);
	EffectToken LexRawBlock();
	EffectToken MakeError(std::string reason);

	std::string_view text;
	size_t position = 0;
	int line;
	std::string errorText;  // backs the text of an Error token
};
