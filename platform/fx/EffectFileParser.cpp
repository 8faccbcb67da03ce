#include "platform/fx/EffectFileParser.h"

#include <cstdlib>
#include <cstring>

namespace {

struct NamedValue {
	const char* name;
	DWORD value;
};

constexpr NamedValue BOOL_VALUES[] = {{"true", TRUE}, {"false", FALSE}};
constexpr NamedValue CULL_VALUES[] = {{"none", D3DCULL_NONE}, {"cw", D3DCULL_CW}, {"ccw", D3DCULL_CCW}};
constexpr NamedValue COMPARE_VALUES[] = {
	{"never", D3DCMP_NEVER},     {"less", D3DCMP_LESS},         {"equal", D3DCMP_EQUAL},
	{"lessequal", D3DCMP_LESSEQUAL}, {"greater", D3DCMP_GREATER}, {"notequal", D3DCMP_NOTEQUAL},
	{"greaterequal", D3DCMP_GREATEREQUAL}, {"always", D3DCMP_ALWAYS},
};
constexpr NamedValue BLEND_VALUES[] = {
	{"zero", D3DBLEND_ZERO},           {"one", D3DBLEND_ONE},
	{"srccolor", D3DBLEND_SRCCOLOR},   {"invsrccolor", D3DBLEND_INVSRCCOLOR},
	{"srcalpha", D3DBLEND_SRCALPHA},   {"invsrcalpha", D3DBLEND_INVSRCALPHA},
	{"destalpha", D3DBLEND_DESTALPHA}, {"invdestalpha", D3DBLEND_INVDESTALPHA},
	{"destcolor", D3DBLEND_DESTCOLOR}, {"invdestcolor", D3DBLEND_INVDESTCOLOR},
	{"srcalphasat", D3DBLEND_SRCALPHASAT},
};
constexpr NamedValue BLENDOP_VALUES[] = {
	{"add", D3DBLENDOP_ADD}, {"subtract", D3DBLENDOP_SUBTRACT}, {"revsubtract", D3DBLENDOP_REVSUBTRACT},
	{"min", D3DBLENDOP_MIN}, {"max", D3DBLENDOP_MAX},
};
constexpr NamedValue FILL_VALUES[] = {
	{"point", D3DFILL_POINT}, {"wireframe", D3DFILL_WIREFRAME}, {"solid", D3DFILL_SOLID}};
constexpr NamedValue FILTER_VALUES[] = {
	{"none", D3DTEXF_NONE}, {"point", D3DTEXF_POINT}, {"linear", D3DTEXF_LINEAR}, {"anisotropic", D3DTEXF_ANISOTROPIC}};
constexpr NamedValue ADDRESS_VALUES[] = {
	{"wrap", D3DTADDRESS_WRAP}, {"mirror", D3DTADDRESS_MIRROR}, {"clamp", D3DTADDRESS_CLAMP},
	{"border", D3DTADDRESS_BORDER}};

// A render state a pass may assign: either one of a named set of values or a
// plain unsigned number.
struct PassStateKey {
	const char* name;
	D3DRENDERSTATETYPE state;
	const NamedValue* values;
	size_t valueCount;
};

#define VALUES(table) table, sizeof(table) / sizeof(table[0])
constexpr PassStateKey PASS_STATES[] = {
	{"cullmode", D3DRS_CULLMODE, VALUES(CULL_VALUES)},
	{"fillmode", D3DRS_FILLMODE, VALUES(FILL_VALUES)},
	{"zenable", D3DRS_ZENABLE, VALUES(BOOL_VALUES)},
	{"zwriteenable", D3DRS_ZWRITEENABLE, VALUES(BOOL_VALUES)},
	{"zfunc", D3DRS_ZFUNC, VALUES(COMPARE_VALUES)},
	{"alphablendenable", D3DRS_ALPHABLENDENABLE, VALUES(BOOL_VALUES)},
	{"srcblend", D3DRS_SRCBLEND, VALUES(BLEND_VALUES)},
	{"destblend", D3DRS_DESTBLEND, VALUES(BLEND_VALUES)},
	{"blendop", D3DRS_BLENDOP, VALUES(BLENDOP_VALUES)},
	{"separatealphablendenable", D3DRS_SEPARATEALPHABLENDENABLE, VALUES(BOOL_VALUES)},
	{"srcblendalpha", D3DRS_SRCBLENDALPHA, VALUES(BLEND_VALUES)},
	{"destblendalpha", D3DRS_DESTBLENDALPHA, VALUES(BLEND_VALUES)},
	{"blendopalpha", D3DRS_BLENDOPALPHA, VALUES(BLENDOP_VALUES)},
	{"alphatestenable", D3DRS_ALPHATESTENABLE, VALUES(BOOL_VALUES)},
	{"alphafunc", D3DRS_ALPHAFUNC, VALUES(COMPARE_VALUES)},
	{"alpharef", D3DRS_ALPHAREF, nullptr, 0},
	{"colorwriteenable", D3DRS_COLORWRITEENABLE, nullptr, 0},
	{"stencilenable", D3DRS_STENCILENABLE, VALUES(BOOL_VALUES)},
};

struct SamplerStateKey {
	const char* name;
	DWORD EffectSamplerDecl::*field;
	const NamedValue* values;
	size_t valueCount;
};

constexpr SamplerStateKey SAMPLER_STATES[] = {
	{"minfilter", &EffectSamplerDecl::minFilter, VALUES(FILTER_VALUES)},
	{"magfilter", &EffectSamplerDecl::magFilter, VALUES(FILTER_VALUES)},
	{"mipfilter", &EffectSamplerDecl::mipFilter, VALUES(FILTER_VALUES)},
	{"addressu", &EffectSamplerDecl::addressU, VALUES(ADDRESS_VALUES)},
	{"addressv", &EffectSamplerDecl::addressV, VALUES(ADDRESS_VALUES)},
	{"addressw", &EffectSamplerDecl::addressW, VALUES(ADDRESS_VALUES)},
	{"maxanisotropy", &EffectSamplerDecl::maxAnisotropy, nullptr, 0},
};
#undef VALUES

struct TypeKeyword {
	const char* name;
	EffectParameterType type;
};

constexpr TypeKeyword PARAMETER_TYPES[] = {
	{"float", EffectParameterType::Float},       {"float2", EffectParameterType::Float2},
	{"float3", EffectParameterType::Float3},     {"float4", EffectParameterType::Float4},
	{"vector", EffectParameterType::Float4},     {"float4x4", EffectParameterType::Float4x4},
	{"matrix", EffectParameterType::Float4x4},   {"texture", EffectParameterType::Texture},
	{"texturecube", EffectParameterType::TextureCube},
};

// Keys and state values are matched without regard to case, as effect
// authors are used to; names of parameters, blocks and techniques are exact.
bool EqualsIgnoringCase(std::string_view a, const char* b) {
	const size_t length = std::strlen(b);
	if (a.size() != length) {
		return false;
	}
	for (size_t i = 0; i < length; ++i) {
		char c = a[i];
		if (c >= 'A' && c <= 'Z') {
			c = static_cast<char>(c - 'A' + 'a');
		}
		if (c != b[i]) {
			return false;
		}
	}
	return true;
}

const NamedValue* FindValue(std::string_view name, const NamedValue* values, size_t count) {
	for (size_t i = 0; i < count; ++i) {
		if (EqualsIgnoringCase(name, values[i].name)) {
			return &values[i];
		}
	}
	return nullptr;
}

bool IsReservedName(std::string_view name) {
	return name.starts_with("d3d_") || name.starts_with("gl_") || name == "main";
}

}  // namespace

EffectFileParser::EffectFileParser(std::string sourceName_, EffectFileLimits limits_)
	: sourceName(std::move(sourceName_)), limits(limits_) {}

bool EffectFileParser::FailAt(int line, const std::string& reason) {
	if (error.empty()) {
		error = sourceName + "(" + std::to_string(line) + "): " + reason;
	}
	return false;
}

bool EffectFileParser::Fail(const std::string& reason) { return FailAt(token.line, reason); }

std::string EffectFileParser::Describe(const EffectToken& t) const {
	switch (t.kind) {
	case EffectTokenKind::End: return "end of file";
	case EffectTokenKind::RawBlock: return "a GLSL block";
	default: break;
	}
	std::string quoted(1, '\'');
	quoted.append(t.text);
	quoted += '\'';
	return quoted;
}

void EffectFileParser::Advance() { token = lexer->Next(); }

bool EffectFileParser::IsSymbol(char symbol) const {
	return token.kind == EffectTokenKind::Symbol && token.text[0] == symbol;
}

bool EffectFileParser::ExpectSymbol(char symbol) {
	if (token.kind == EffectTokenKind::Error) {
		return Fail(std::string(token.text));
	}
	if (!IsSymbol(symbol)) {
		return Fail(std::string("expected '") + symbol + "' but found " + Describe(token));
	}
	Advance();
	return true;
}

bool EffectFileParser::ExpectName(const char* what, std::string& name) {
	if (token.kind == EffectTokenKind::Error) {
		return Fail(std::string(token.text));
	}
	if (token.kind != EffectTokenKind::Name) {
		return Fail(std::string("expected ") + what + " but found " + Describe(token));
	}
	if (token.text.size() > limits.maxNameLength) {
		return Fail(std::string(what) + " is longer than " + std::to_string(limits.maxNameLength) + " characters");
	}
	name = token.text;
	Advance();
	return true;
}

bool EffectFileParser::CheckText(std::string_view text) {
	int line = 1;
	size_t lineLength = 0;
	for (const char c : text) {
		if (c == '\0') {
			return FailAt(line, "the file holds a NUL byte");
		}
		if (c == '\n') {
			++line;
			lineLength = 0;
		} else if (++lineLength > limits.maxLineLength) {
			return FailAt(line, "line longer than " + std::to_string(limits.maxLineLength) + " characters");
		}
	}
	return true;
}

bool EffectFileParser::ReadHeader(std::string_view text, size_t& bodyStart) {
	size_t start = 0;
	if (text.starts_with("\xEF\xBB\xBF")) {
		start = 3;
	}
	size_t end = text.find('\n', start);
	bodyStart = end == std::string_view::npos ? text.size() : end + 1;
	if (end == std::string_view::npos) {
		end = text.size();
	}
	std::string_view header = text.substr(start, end - start);
	while (!header.empty() && (header.back() == '\r' || header.back() == ' ' || header.back() == '\t')) {
		header.remove_suffix(1);
	}
	const std::string_view format = FORMAT_NAME;
	if (!header.starts_with(format) || header.size() <= format.size() || header[format.size()] != ' ') {
		return FailAt(1, std::string("the first line must read \"") + FORMAT_NAME + " " +
		                     std::to_string(FORMAT_VERSION) + "\"");
	}
	const std::string_view version = header.substr(format.size() + 1);
	if (version != std::to_string(FORMAT_VERSION)) {
		return FailAt(1, "unsupported format version '" + std::string(version) + "'");
	}
	return true;
}

bool EffectFileParser::Parse(std::span<const uint8_t> bytes, EffectSource& source) {
	source = EffectSource{};
	error.clear();
	if (bytes.size() > limits.maxBytes) {
		return FailAt(0, "file larger than " + std::to_string(limits.maxBytes) + " bytes");
	}
	const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
	size_t bodyStart = 0;
	if (!CheckText(text) || !ReadHeader(text, bodyStart)) {
		return false;
	}
	EffectLexer bodyLexer(text.substr(bodyStart), 2);
	lexer = &bodyLexer;
	out = &source;
	Advance();
	bool ok = true;
	while (ok && token.kind != EffectTokenKind::End) {
		ok = ParseStatement();
	}
	ok = ok && Validate();
	lexer = nullptr;
	out = nullptr;
	if (!ok) {
		source = EffectSource{};
	}
	return ok;
}

bool EffectFileParser::ParseStatement() {
	if (token.kind == EffectTokenKind::Error) {
		return Fail(std::string(token.text));
	}
	if (token.kind != EffectTokenKind::Name) {
		return Fail("expected a declaration but found " + Describe(token));
	}
	const std::string_view keyword = token.text;
	for (const TypeKeyword& type : PARAMETER_TYPES) {
		if (EqualsIgnoringCase(keyword, type.name)) {
			Advance();
			return ParseParameter(type.type);
		}
	}
	if (keyword == "sampler") {
		Advance();
		return ParseSampler();
	}
	if (keyword == "glsl" || keyword == "vertex" || keyword == "fragment") {
		const ShaderBlockKind kind = keyword == "glsl"     ? ShaderBlockKind::Shared
		                             : keyword == "vertex" ? ShaderBlockKind::Vertex
		                                                   : ShaderBlockKind::Fragment;
		Advance();
		return ParseBlock(kind);
	}
	if (keyword == "technique") {
		Advance();
		return ParseTechnique();
	}
	return Fail("unknown keyword '" + std::string(keyword) + "'");
}

bool EffectFileParser::ParseParameter(EffectParameterType type) {
	EffectParameterDecl parameter;
	parameter.type = type;
	parameter.line = token.line;
	if (!ExpectName("a parameter name", parameter.name)) {
		return false;
	}
	if (out->parameters.size() >= limits.maxParameters) {
		return FailAt(parameter.line, "more than " + std::to_string(limits.maxParameters) + " parameters");
	}
	if (IsSymbol('=')) {
		if (IsTextureParameter(type)) {
			return Fail("a texture parameter takes no initial value");
		}
		Advance();
		if (!ParseInitialValue(parameter)) {
			return false;
		}
	}
	if (!ExpectSymbol(';')) {
		return false;
	}
	out->parameters.push_back(std::move(parameter));
	return true;
}

bool EffectFileParser::ParseInitialValue(EffectParameterDecl& parameter) {
	const size_t wanted = EffectParameterBytes(parameter.type) / sizeof(float);
	const bool braced = IsSymbol('{');
	if (braced) {
		Advance();
	}
	size_t count = 0;
	for (;;) {
		if (token.kind != EffectTokenKind::Number) {
			return Fail("expected a number but found " + Describe(token));
		}
		if (count == wanted) {
			return Fail("'" + parameter.name + "' takes " + std::to_string(wanted) + " values");
		}
		parameter.initial[count++] = std::strtof(std::string(token.text).c_str(), nullptr);
		Advance();
		if (!braced || !IsSymbol(',')) {
			break;
		}
		Advance();
	}
	if (count != wanted) {
		return Fail("'" + parameter.name + "' takes " + std::to_string(wanted) + " values, not " +
		            std::to_string(count));
	}
	return !braced || ExpectSymbol('}');
}

bool EffectFileParser::ParseSampler() {
	EffectSamplerDecl sampler;
	sampler.line = token.line;
	if (!ExpectName("a sampler name", sampler.name)) {
		return false;
	}
	if (out->samplers.size() >= limits.maxSamplers) {
		return FailAt(sampler.line, "more than " + std::to_string(limits.maxSamplers) + " samplers");
	}
	if (!ExpectSymbol('{')) {
		return false;
	}
	while (!IsSymbol('}')) {
		if (!ParseSamplerState(sampler)) {
			return false;
		}
	}
	Advance();
	if (IsSymbol(';')) {
		Advance();
	}
	if (sampler.texture.empty()) {
		return FailAt(sampler.line, "sampler '" + sampler.name + "' names no Texture");
	}
	out->samplers.push_back(std::move(sampler));
	return true;
}

bool EffectFileParser::ParseSamplerState(EffectSamplerDecl& sampler) {
	const int line = token.line;
	std::string key;
	if (!ExpectName("a sampler state", key) || !ExpectSymbol('=')) {
		return false;
	}
	if (EqualsIgnoringCase(key, "texture")) {
		return ExpectName("a texture parameter name", sampler.texture) && ExpectSymbol(';');
	}
	for (const SamplerStateKey& state : SAMPLER_STATES) {
		if (!EqualsIgnoringCase(key, state.name)) {
			continue;
		}
		if (state.values == nullptr) {
			if (token.kind != EffectTokenKind::Number || token.text[0] == '-') {
				return Fail("expected a count for " + key + " but found " + Describe(token));
			}
			sampler.*state.field = static_cast<DWORD>(std::strtoul(std::string(token.text).c_str(), nullptr, 10));
			Advance();
			return ExpectSymbol(';');
		}
		const NamedValue* value = token.kind == EffectTokenKind::Name
		                              ? FindValue(token.text, state.values, state.valueCount)
		                              : nullptr;
		if (value == nullptr) {
			return Fail("unknown value " + Describe(token) + " for " + key);
		}
		sampler.*state.field = value->value;
		Advance();
		return ExpectSymbol(';');
	}
	return FailAt(line, "unknown sampler state '" + key + "'");
}

bool EffectFileParser::ParseBlock(ShaderBlockKind kind) {
	ShaderBlock block;
	block.kind = kind;
	const int line = token.line;
	if (!ExpectName("a block name", block.name)) {
		return false;
	}
	if (out->blocks.size() >= limits.maxBlocks) {
		return FailAt(line, "more than " + std::to_string(limits.maxBlocks) + " GLSL blocks");
	}
	if (token.kind == EffectTokenKind::Error) {
		return Fail(std::string(token.text));
	}
	if (token.kind != EffectTokenKind::RawBlock) {
		return Fail("expected '<<<' opening the GLSL of '" + block.name + "' but found " + Describe(token));
	}
	block.text = token.text;
	block.firstLine = token.line;
	Advance();
	out->blocks.push_back(std::move(block));
	return true;
}

bool EffectFileParser::ParseTechnique() {
	EffectTechniqueDecl technique;
	technique.line = token.line;
	if (!ExpectName("a technique name", technique.name)) {
		return false;
	}
	if (out->techniques.size() >= limits.maxTechniques) {
		return FailAt(technique.line, "more than " + std::to_string(limits.maxTechniques) + " techniques");
	}
	if (!ExpectSymbol('{')) {
		return false;
	}
	while (!IsSymbol('}')) {
		if (token.kind == EffectTokenKind::Name && token.text == "pass") {
			Advance();
			if (!ParsePass(technique)) {
				return false;
			}
		} else if (token.kind == EffectTokenKind::Error) {
			return Fail(std::string(token.text));
		} else {
			return Fail("expected 'pass' or '}' but found " + Describe(token));
		}
	}
	Advance();
	if (IsSymbol(';')) {
		Advance();
	}
	if (technique.passes.empty()) {
		return FailAt(technique.line, "technique '" + technique.name + "' has no pass");
	}
	out->techniques.push_back(std::move(technique));
	return true;
}

bool EffectFileParser::ParsePass(EffectTechniqueDecl& technique) {
	EffectPassDecl pass;
	pass.line = token.line;
	if (!ExpectName("a pass name", pass.name)) {
		return false;
	}
	if (technique.passes.size() >= limits.maxPassesPerTechnique) {
		return FailAt(pass.line, "more than " + std::to_string(limits.maxPassesPerTechnique) + " passes");
	}
	for (const EffectPassDecl& other : technique.passes) {
		if (other.name == pass.name) {
			return FailAt(pass.line, "pass '" + pass.name + "' declared twice");
		}
	}
	if (!ExpectSymbol('{')) {
		return false;
	}
	while (!IsSymbol('}')) {
		if (!ParsePassAssignment(pass)) {
			return false;
		}
	}
	Advance();
	if (IsSymbol(';')) {
		Advance();
	}
	if (pass.vertexBlock.empty() || pass.fragmentBlock.empty()) {
		return FailAt(pass.line, "pass '" + pass.name + "' needs a VertexShader and a FragmentShader");
	}
	technique.passes.push_back(std::move(pass));
	return true;
}

bool EffectFileParser::ParsePassAssignment(EffectPassDecl& pass) {
	const int line = token.line;
	std::string key;
	if (!ExpectName("a pass state", key) || !ExpectSymbol('=')) {
		return false;
	}
	if (EqualsIgnoringCase(key, "vertexshader")) {
		return ExpectName("a vertex block name", pass.vertexBlock) && ExpectSymbol(';');
	}
	if (EqualsIgnoringCase(key, "fragmentshader") || EqualsIgnoringCase(key, "pixelshader")) {
		return ExpectName("a fragment block name", pass.fragmentBlock) && ExpectSymbol(';');
	}
	for (const PassStateKey& state : PASS_STATES) {
		if (!EqualsIgnoringCase(key, state.name)) {
			continue;
		}
		if (pass.states.size() >= limits.maxStatesPerPass) {
			return FailAt(line, "more than " + std::to_string(limits.maxStatesPerPass) + " states in one pass");
		}
		DWORD value = 0;
		if (state.values == nullptr) {
			if (token.kind != EffectTokenKind::Number || token.text[0] == '-') {
				return Fail("expected a number for " + key + " but found " + Describe(token));
			}
			value = static_cast<DWORD>(std::strtoul(std::string(token.text).c_str(), nullptr, 0));
		} else {
			const NamedValue* named = token.kind == EffectTokenKind::Name
			                              ? FindValue(token.text, state.values, state.valueCount)
			                              : nullptr;
			if (named == nullptr) {
				return Fail("unknown value " + Describe(token) + " for " + key);
			}
			value = named->value;
		}
		Advance();
		// A state assigned twice keeps its last value, in its first place.
		for (RenderStateAssignment& earlier : pass.states) {
			if (earlier.state == state.state) {
				earlier.value = value;
				return ExpectSymbol(';');
			}
		}
		pass.states.push_back({state.state, value});
		return ExpectSymbol(';');
	}
	return FailAt(line, "unknown pass state '" + key + "'");
}

bool EffectFileParser::Validate() {
	// Every name lives in one space: parameters, samplers and blocks all end up
	// as GLSL names, and techniques are looked up by the same handles.
	std::vector<std::pair<std::string, int>> names;
	for (const EffectParameterDecl& p : out->parameters) names.push_back({p.name, p.line});
	for (const EffectSamplerDecl& s : out->samplers) names.push_back({s.name, s.line});
	for (const EffectTechniqueDecl& t : out->techniques) names.push_back({t.name, t.line});
	for (size_t i = 0; i < names.size(); ++i) {
		if (IsReservedName(names[i].first)) {
			return FailAt(names[i].second, "'" + names[i].first + "' is a reserved name");
		}
		for (size_t j = 0; j < i; ++j) {
			if (names[j].first == names[i].first) {
				return FailAt(names[i].second, "'" + names[i].first + "' declared twice");
			}
		}
	}
	for (size_t i = 0; i < out->blocks.size(); ++i) {
		for (size_t j = 0; j < i; ++j) {
			if (out->blocks[j].name == out->blocks[i].name) {
				return FailAt(out->blocks[i].firstLine - 1, "GLSL block '" + out->blocks[i].name + "' declared twice");
			}
		}
	}
	for (const EffectSamplerDecl& sampler : out->samplers) {
		const EffectParameterDecl* texture = out->FindParameter(sampler.texture);
		if (texture == nullptr || !IsTextureParameter(texture->type)) {
			return FailAt(sampler.line, "sampler '" + sampler.name + "' names '" + sampler.texture +
			                                "', which is no texture parameter");
		}
	}
	for (const EffectTechniqueDecl& technique : out->techniques) {
		for (const EffectPassDecl& pass : technique.passes) {
			const ShaderBlock* vertex = out->FindBlock(pass.vertexBlock);
			const ShaderBlock* fragment = out->FindBlock(pass.fragmentBlock);
			if (vertex == nullptr || vertex->kind != ShaderBlockKind::Vertex) {
				return FailAt(pass.line, "'" + pass.vertexBlock + "' is no vertex block");
			}
			if (fragment == nullptr || fragment->kind != ShaderBlockKind::Fragment) {
				return FailAt(pass.line, "'" + pass.fragmentBlock + "' is no fragment block");
			}
		}
	}
	if (out->techniques.empty()) {
		return FailAt(lexer->Line(), "the file declares no technique");
	}
	return true;
}
