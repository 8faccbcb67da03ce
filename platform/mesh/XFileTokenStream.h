#pragma once
// The token view shared by the text and binary X-file readers, so that one
// parser serves both. Binary integer and float lists arrive as one number
// token per element.

#include <cstddef>
#include <string>

enum class XFileTokenKind {
	End,         // no more input
	Error,       // malformed input; the stream's Error() says why
	Name,        // identifier: a template, object or reference name
	String,      // quoted text, without the quotes
	Integer,     // whole number (number holds it)
	Float,       // number with a fraction or exponent
	Guid,        // <...> in text, a 16-byte GUID in binary; contents unused
	OpenBrace,
	CloseBrace,
	Separator,   // ',' or ';'
	Template,    // the "template" keyword
	Other,       // any other punctuation or template keyword
};

struct XFileToken {
	XFileTokenKind kind = XFileTokenKind::End;
	std::string text;     // Name and String tokens
	double number = 0.0;  // Integer and Float tokens
};

class XFileTokenStream {
public:
	virtual ~XFileTokenStream() = default;

	// Returns End for ever once the input is used up and Error for ever after a fault.
	virtual XFileToken Next() = 0;

	// Unread input in bytes; a count read from the file is checked against
	// this before anything is allocated for it.
	virtual size_t BytesLeft() const = 0;

	// The fewest bytes one number can occupy in this encoding.
	virtual size_t MinimumBytesPerNumber() const = 0;

	virtual const std::string& Error() const = 0;
};
