#include "particles/EffectFileReader.h"

#include <charconv>
#include <cmath>

namespace particles {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Quoted(std::string_view word) {
	std::string quoted(1, '\'');
	quoted.append(word);
	quoted += '\'';
	return quoted;
}

template <typename Enum>
struct NamedValue {
	const char* name;
	Enum value;
};

template <typename Enum, size_t N>
bool LookUp(const NamedValue<Enum> (&table)[N], std::string_view word, Enum& value) {
	for (const NamedValue<Enum>& entry : table) {
		if (word == entry.name) {
			value = entry.value;
			return true;
		}
	}
	return false;
}

constexpr NamedValue<RendererKind> RENDERERS[] = {
	{"sprite", RendererKind::Sprite}, {"ribbon", RendererKind::Ribbon},
	{"ring", RendererKind::Ring},     {"model", RendererKind::Model}};
constexpr NamedValue<BlendMode> BLENDS[] = {{"additive", BlendMode::Additive}, {"alpha", BlendMode::Alpha}};
constexpr NamedValue<Billboard> BILLBOARDS[] = {
	{"face", Billboard::Face}, {"yaxis", Billboard::YAxis},
	{"fixed", Billboard::Fixed}, {"velocity", Billboard::Velocity}};
constexpr NamedValue<Easing> EASINGS[] = {
	{"linear", Easing::Linear}, {"easeout", Easing::EaseOut}, {"easein", Easing::EaseIn}};

// A file name inside the material folder: no folders above it, no absolute
// paths, printable characters only.
bool IsSafeFileName(std::string_view name) {
	if (name.empty() || name.size() > 128 || name.front() == '/' || name.find("..") != std::string_view::npos) {
		return false;
	}
	for (char c : name) {
		if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E || c == '\\') {
			return false;
		}
	}
	return true;
}

}  // namespace

EffectFileReader::EffectFileReader(std::string sourceName_, EffectFileLimits limits_)
	: sourceName(std::move(sourceName_)), limits(limits_) {}

bool EffectFileReader::HasFormatLine(std::span<const uint8_t> bytes) {
	const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
	const std::string_view name(FORMAT_NAME);
	return text.size() > name.size() && text.substr(0, name.size()) == name && IsSpace(text[name.size()]);
}

bool EffectFileReader::Read(std::span<const uint8_t> bytes, EffectDefinition& definition) {
	definition = EffectDefinition{};
	error.clear();
	lineNumber = 0;
	EffectDefinition read;
	out = &read;
	if (bytes.size() > limits.maxBytes) {
		return Fail("file of " + std::to_string(bytes.size()) + " bytes exceeds the limit of " +
		            std::to_string(limits.maxBytes));
	}
	const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
	size_t start = 0;
	while (start < text.size() || lineNumber == 0) {
		size_t end = text.find('\n', start);
		if (end == std::string_view::npos) {
			end = text.size();
		}
		const std::string_view line = text.substr(start, end - start);
		++lineNumber;
		if (line.size() > limits.maxLineLength) {
			return Fail("line longer than " + std::to_string(limits.maxLineLength) + " characters");
		}
		for (char c : line) {
			if (c == '\0' || (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r')) {
				return Fail("control character in the text");
			}
		}
		const bool ok = lineNumber == 1 ? ReadHeader(line) : ReadLine(line);
		if (!ok) {
			return false;
		}
		start = end + 1;
	}
	if (!Validate(read)) {
		return false;
	}
	definition = std::move(read);
	return true;
}

bool EffectFileReader::ReadHeader(std::string_view line) {
	rest = line;
	std::string_view name, version;
	if (!NextWord(name) || name != FORMAT_NAME || !NextWord(version)) {
		return Fail(std::string("the first line must read \"") + FORMAT_NAME + " " + std::to_string(FORMAT_VERSION) +
		            "\"");
	}
	if (version != std::to_string(FORMAT_VERSION)) {
		return Fail("unsupported version " + Quoted(version));
	}
	return ExpectEnd();
}

bool EffectFileReader::ReadLine(std::string_view line) {
	rest = line;
	std::string_view key;
	if (!NextWord(key) || key.front() == '#') {
		return true;  // blank line or comment
	}
	if (key == "node") {
		if (out->nodes.size() >= limits.maxNodes) {
			return Fail("more than " + std::to_string(limits.maxNodes) + " nodes");
		}
		std::string_view name;
		if (!NextWord(name)) {
			return Fail("a node needs a name");
		}
		out->nodes.emplace_back();
		out->nodes.back().name = std::string(name);
		return ExpectEnd();
	}
	if (out->nodes.empty()) {
		return Fail(Quoted(key) + " before the first node");
	}
	return ReadNodeKey(out->nodes.back(), key) && ExpectEnd();
}

bool EffectFileReader::ReadNodeKey(NodeDefinition& node, std::string_view key) {
	std::string_view word;
	if (key == "renderer" || key == "blend" || key == "billboard" || key == "follow") {
		if (!NextWord(word)) {
			return Fail(Quoted(key) + " needs a value");
		}
		bool known = false;
		if (key == "renderer") {
			known = LookUp(RENDERERS, word, node.renderer);
		} else if (key == "blend") {
			known = LookUp(BLENDS, word, node.blend);
		} else if (key == "billboard") {
			known = LookUp(BILLBOARDS, word, node.billboard);
		} else {
			known = word == "instance" || word == "world";
			node.followInstance = word == "instance";
		}
		return known || Fail("unknown " + std::string(key) + " " + Quoted(word));
	}
	if (key == "texture" || key == "model") {
		if (!NextWord(word) || !IsSafeFileName(word)) {
			return Fail(Quoted(key) + " needs a plain file name inside the material folder");
		}
		(key == "texture" ? node.texture : node.model) = std::string(word);
		return true;
	}
	if (key == "count") {
		if (!ReadFrames("count", node.count)) {
			return false;
		}
		if (node.count < 1 || node.count > limits.maxCountPerNode) {
			return Fail("count must be 1 to " + std::to_string(limits.maxCountPerNode));
		}
		return true;
	}
	if (key == "rate") {
		return ReadFloat("rate", node.rate) &&
		       (node.rate >= 0.0f || Fail("rate must not be negative"));
	}
	if (key == "delay") {
		return ReadFrames("delay", node.delay);
	}
	if (key == "life") {
		return ReadFloatRange("life", node.life) &&
		       (node.life.min >= 1.0f || Fail("life must be at least one frame")) &&
		       (node.life.max <= static_cast<float>(limits.maxFrames) || Fail("life too long"));
	}
	if (key == "shape") {
		if (!NextWord(word)) {
			return Fail("shape needs box, line or sphere");
		}
		if (word == "box") {
			node.shape = EmitShape::Box;
			return true;
		}
		if (word == "line") {
			node.shape = EmitShape::Line;
			return ReadVector("line start", node.lineFrom) && ReadVector("line end", node.lineTo);
		}
		if (word == "sphere") {
			node.shape = EmitShape::Sphere;
			if (!ReadFloatRange("sphere radius", node.sphereRadius)) {
				return false;
			}
			if (HasMore()) {
				if (!NextWord(word) || word != "outward") {
					return Fail("expected 'outward' after the sphere radius");
				}
				node.outward = true;
				return ReadFloatRange("outward speed", node.outwardSpeed);
			}
			return true;
		}
		return Fail("unknown shape " + Quoted(word));
	}
	if (key == "position") {
		return ReadVectorRange("position", node.position);
	}
	if (key == "velocity") {
		return ReadVectorRange("velocity", node.velocity);
	}
	if (key == "acceleration") {
		return ReadVectorRange("acceleration", node.acceleration);
	}
	if (key == "drag") {
		return ReadFloat("drag", node.drag) &&
		       ((node.drag >= 0.0f && node.drag < 1.0f) || Fail("drag must be at least 0 and below 1"));
	}
	if (key == "size") {
		return ReadFloatRange("size", node.size) && (node.size.min >= 0.0f || Fail("size must not be negative"));
	}
	if (key == "scale") {
		if (!ReadFloat("scale start", node.scaleStart) || !ReadFloat("scale end", node.scaleEnd)) {
			return false;
		}
		if (HasMore()) {
			if (!NextWord(word) || !LookUp(EASINGS, word, node.scaleEasing)) {
				return Fail("unknown easing " + Quoted(word));
			}
		}
		return true;
	}
	if (key == "aspect") {
		return ReadFloat("aspect", node.aspect) && (node.aspect > 0.0f || Fail("aspect must be positive"));
	}
	if (key == "stretch") {
		return ReadFloat("stretch", node.stretch) && (node.stretch >= 0.0f || Fail("stretch must not be negative"));
	}
	if (key == "rotation") {
		return ReadFloatRange("rotation", node.rotation);
	}
	if (key == "spin") {
		return ReadFloatRange("spin", node.rotationSpeed);
	}
	if (key == "color") {
		if (!ReadColor("colour", node.colorStartMin)) {
			return false;
		}
		node.colorStartMax = node.colorStartMin;
		return !HasMore() || ReadColor("second colour", node.colorStartMax);
	}
	if (key == "colorend") {
		node.hasColorEnd = true;
		return ReadColor("end colour", node.colorEnd);
	}
	if (key == "fade") {
		return ReadFrames("fade in", node.fadeIn) && ReadFrames("fade out", node.fadeOut);
	}
	if (key == "ring") {
		if (!ReadFrames("ring segments", node.ringSegments) || !ReadFloat("ring inner radius", node.ringInner) ||
		    !ReadFloat("ring outer radius", node.ringOuter)) {
			return false;
		}
		if (node.ringSegments < 3 || node.ringSegments > 128) {
			return Fail("ring segments must be 3 to 128");
		}
		return (node.ringInner >= 0.0f && node.ringInner < node.ringOuter) ||
		       Fail("ring radii must satisfy 0 <= inner < outer");
	}
	return Fail("unknown key " + Quoted(key));
}

bool EffectFileReader::Validate(const EffectDefinition& definition) {
	if (definition.nodes.empty()) {
		return Fail("the effect has no node");
	}
	int total = 0;
	for (const NodeDefinition& node : definition.nodes) {
		total += node.count;
		if (node.renderer == RendererKind::Model && node.model.empty()) {
			return Fail("node '" + node.name + "' uses the model renderer without a model");
		}
		if (node.renderer == RendererKind::Ribbon && node.count < 2) {
			return Fail("ribbon node '" + node.name + "' needs a count of at least 2");
		}
	}
	if (total > limits.maxParticlesPerEffect) {
		return Fail("more than " + std::to_string(limits.maxParticlesPerEffect) + " particles in all nodes");
	}
	return true;
}

bool EffectFileReader::NextWord(std::string_view& word) {
	size_t begin = 0;
	while (begin < rest.size() && IsSpace(rest[begin])) {
		++begin;
	}
	size_t end = begin;
	while (end < rest.size() && !IsSpace(rest[end])) {
		++end;
	}
	word = rest.substr(begin, end - begin);
	rest = rest.substr(end);
	return !word.empty();
}

bool EffectFileReader::HasMore() {
	std::string_view probe = rest;
	std::string_view word;
	const bool more = NextWord(word) && word.front() != '#';
	rest = probe;
	return more;
}

bool EffectFileReader::ExpectEnd() {
	std::string_view word;
	if (NextWord(word) && word.front() != '#') {
		return Fail("unexpected " + Quoted(word));
	}
	return true;
}

bool EffectFileReader::ReadFloat(const char* what, float& value) {
	std::string_view word;
	if (!NextWord(word)) {
		return Fail(std::string(what) + ": number expected");
	}
	float parsed = 0.0f;
	const auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), parsed);
	if (status != std::errc() || end != word.data() + word.size() || !std::isfinite(parsed)) {
		return Fail(std::string(what) + ": " + Quoted(word) + " is not a number");
	}
	if (std::fabs(parsed) > limits.maxMagnitude) {
		return Fail(std::string(what) + ": " + Quoted(word) + " is out of range");
	}
	value = parsed;
	return true;
}

bool EffectFileReader::ReadFrames(const char* what, int& value) {
	std::string_view word;
	if (!NextWord(word)) {
		return Fail(std::string(what) + ": whole number expected");
	}
	int parsed = 0;
	const auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), parsed);
	if (status != std::errc() || end != word.data() + word.size()) {
		return Fail(std::string(what) + ": " + Quoted(word) + " is not a whole number");
	}
	if (parsed < 0 || parsed > limits.maxFrames) {
		return Fail(std::string(what) + ": " + Quoted(word) + " is out of range");
	}
	value = parsed;
	return true;
}

bool EffectFileReader::ReadVector(const char* what, D3DXVECTOR3& value) {
	return ReadFloat(what, value.x) && ReadFloat(what, value.y) && ReadFloat(what, value.z);
}

bool EffectFileReader::ReadFloatRange(const char* what, FloatRange& range) {
	if (!ReadFloat(what, range.min)) {
		return false;
	}
	range.max = range.min;
	if (HasMore() && !ReadFloat(what, range.max)) {
		return false;
	}
	return range.min <= range.max || Fail(std::string(what) + ": the minimum exceeds the maximum");
}

bool EffectFileReader::ReadVectorRange(const char* what, Vec3Range& range) {
	if (!ReadVector(what, range.min)) {
		return false;
	}
	range.max = range.min;
	return !HasMore() || ReadVector(what, range.max);
}

bool EffectFileReader::ReadColor(const char* what, D3DXCOLOR& color) {
	if (!ReadFloat(what, color.r) || !ReadFloat(what, color.g) || !ReadFloat(what, color.b) ||
	    !ReadFloat(what, color.a)) {
		return false;
	}
	const float channels[] = {color.r, color.g, color.b, color.a};
	for (float channel : channels) {
		if (channel < 0.0f || channel > 16.0f) {
			return Fail(std::string(what) + ": channels must lie between 0 and 16");
		}
	}
	return true;
}

bool EffectFileReader::Fail(const std::string& reason) {
	if (error.empty()) {
		error = sourceName + "(" + std::to_string(lineNumber) + "): " + reason;
	}
	return false;
}

}  // namespace particles
