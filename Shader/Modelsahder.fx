vortane-effect 1
// Every model of the battle. "Tech" is toon lighting: the light term is
// looked up in a banded ramp, the shadow map darkens what the moving objects
// cover, speculars are cut into crisp highlights and metal reflects the
// hall around it; emissive parts and strong highlights also go to the glow
// target (output 1). "OutlineTech" draws the back faces of a slightly
// inflated copy, which leaves a line around the silhouette. "DepthTech"
// writes depth alone, with the same position as "Tech" to the last bit: laid
// down first, it lets "Tech" shade only the fragment that ends up in view.

float4x4 mW;
float4x4 mV;
float4x4 mP;
float4x4 mLightVP = { 1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,  0, 0, 0, 1 };

float4 LightDir = { 0.5, -1, 0.3, 0 };
float4 LightColor = { 1, 1, 1, 1 };
float4 LightAmbient = { 0.3, 0.3, 0.3, 1 };
float4 LightSpecular = { 1, 1, 1, 1 };
float4 CamPos = { 0, 0, 0, 1 };

float4 MateDiffuse = { 1, 1, 1, 1 };
float4 MateEmissive;
float4 MateSpecular;
float MateSpePower = 20;

float OutlineSize = 0.05;
float4 OutlineColor = { 0.7, 0, 0, 1 };

texture MateDiffuseTex;
texture ToonTex;
texturecube CubeTex;
texture ShadowTex;

// The nearest mip level: blending two costs the software rasterizer a
// second filtered fetch for a change the toon bands hide.
sampler DiffuseSampler {
	Texture = MateDiffuseTex;
	MinFilter = Linear;
	MagFilter = Linear;
	MipFilter = Point;
	AddressU = Wrap;
	AddressV = Wrap;
}

sampler ToonSampler {
	Texture = ToonTex;
	MinFilter = Linear;
	MagFilter = Linear;
	AddressU = Clamp;
	AddressV = Clamp;
}

sampler CubeSampler {
	Texture = CubeTex;
	MinFilter = Linear;
	MagFilter = Linear;
	AddressU = Clamp;
	AddressV = Clamp;
	AddressW = Clamp;
}

sampler ShadowSampler {
	Texture = ShadowTex;
	MinFilter = Point;
	MagFilter = Point;
	AddressU = Clamp;
	AddressV = Clamp;
}

glsl ShadowLookup <<<
#extension GL_ARB_texture_gather : enable
const float SHADOW_SIZE = 1024.0;

// 1 where the light reaches the point, 0 where a caster covers it, soft in
// between: the depth compares of the 2 x 2 texels around the point, weighed
// as bilinear filtering would. Points outside the map, and a map that reads
// 0 (nothing bound), count as lit.
float LightVisibility(vec4 lightPosition, float facing) {
	vec3 p = lightPosition.xyz / lightPosition.w;
	vec2 uv = vec2(p.x * 0.5 + 0.5, 0.5 - p.y * 0.5);
	// Surfaces turned away from the light need more slack against acne.
	float depth = p.z - (0.0015 + 0.004 * (1.0 - clamp(facing, 0.0, 1.0)));
#ifdef GL_ARB_texture_gather
	// One fetch for all four: the software rasterizer pays per fetch.
	vec4 stored = textureGather(ShadowSampler, uv);
#else
	const float h = 0.5 / SHADOW_SIZE;
	vec4 stored = vec4(textureLod(ShadowSampler, uv + vec2(-h, h), 0.0).r,
	                   textureLod(ShadowSampler, uv + vec2(h, h), 0.0).r,
	                   textureLod(ShadowSampler, uv + vec2(h, -h), 0.0).r,
	                   textureLod(ShadowSampler, uv + vec2(-h, -h), 0.0).r);
#endif
	// Gather order: (left, below), (right, below), (right, above), (left, above)
	// in texture rows, below meaning the larger v.
	vec4 lit = max(step(vec4(depth), stored), step(stored, vec4(0.0)));
	vec2 f = fract(uv * SHADOW_SIZE - 0.5);
	float visible = mix(mix(lit.w, lit.z, f.x), mix(lit.x, lit.y, f.x), f.y);
	float inside = step(0.0, uv.x) * step(uv.x, 1.0) * step(0.0, uv.y) * step(uv.y, 1.0) * step(p.z, 1.0);
	return mix(1.0, visible, inside);
}
>>>

vertex ToonVS <<<
invariant gl_Position;
out vec3 worldPosition;
out vec3 worldNormal;
out vec2 uv;
out vec4 lightPosition;
void main() {
	vec4 world = vec4(inPosition.xyz, 1.0) * mW;
	worldPosition = world.xyz;
	worldNormal = (vec4(inNormal, 0.0) * mW).xyz;
	uv = inTexCoord0;
	lightPosition = world * mLightVP;
	gl_Position = world * mV * mP;
}
>>>

fragment ToonFS <<<
in vec3 worldPosition;
in vec3 worldNormal;
in vec2 uv;
in vec4 lightPosition;
layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;
void main() {
	vec3 n = normalize(worldNormal);
	// The device light's direction arrives normalised.
	vec3 toLight = -LightDir.xyz;
	vec3 toEye = normalize(CamPos.xyz - worldPosition);
	float facing = dot(n, toLight);

	float visible = LightVisibility(lightPosition, facing);
	// Half-Lambert through the ramp gives the bands; the shadow then dims
	// the result so its soft edge is not cut into steps.
	float term = clamp(facing * 0.5 + 0.5, 0.02, 0.98);
	float band = textureLod(ToonSampler, vec2(term, 0.5), 0.0).r;
	float level = band * mix(0.55, 1.0, visible);

	vec4 texel = texture(DiffuseSampler, uv);
	vec3 base = MateDiffuse.rgb * texel.rgb;
	// Full light stops a little short of white so pale paint keeps its
	// panel lines.
	vec3 lit = base * mix(LightAmbient.rgb, LightColor.rgb * 0.9, level);

	// A crisp highlight: the Blinn-Phong lobe cut at its half height. The
	// lobe is Schlick's rational stand-in for pow, which the cut hides and
	// the software rasterizer finds far cheaper.
	vec3 halfway = normalize(toLight + toEye);
	float cosine = max(dot(n, halfway), 0.0);
	float power = max(MateSpePower, 1.0);
	float lobe = cosine / (power - power * cosine + cosine);
	float litSide = visible * step(0.0, facing);
	float highlight = smoothstep(0.45, 0.6, lobe) * litSide;
	vec3 specular = MateSpecular.rgb * LightSpecular.rgb * highlight * 0.6;

	// The hall reflected, faint on paint and stronger on metal-looking
	// speculars, most at grazing angles.
	float metal = smoothstep(0.5, 0.8, max(MateSpecular.r, max(MateSpecular.g, MateSpecular.b)));
	float edge = 1.0 - clamp(dot(n, toEye), 0.0, 1.0);
	float grazing = edge * edge * edge;
	vec3 environment = textureLod(CubeSampler, reflect(-toEye, n), 0.0).rgb;
	vec3 reflection = environment * (0.05 + 0.3 * metal) * (0.3 + 0.7 * grazing) * mix(0.6, 1.0, level);

	// A thin light rim keeps dark sides readable against the dark sky.
	float rim = smoothstep(0.6, 0.8, edge) * 0.1;

	vec3 emissive = MateEmissive.rgb * mix(vec3(1.0), texel.rgb, 0.5);
	float alpha = MateDiffuse.a * texel.a;
	color = vec4(lit + specular + reflection + rim * base + emissive, alpha);
	// Only the brightest part of a highlight blooms.
	float hot = smoothstep(0.8, 1.0, lobe) * litSide;
	glow = vec4(emissive * 0.9 + MateSpecular.rgb * LightSpecular.rgb * hot * 0.25, alpha);
}
>>>

vertex DepthVS <<<
invariant gl_Position;
void main() {
	vec4 world = vec4(inPosition.xyz, 1.0) * mW;
	gl_Position = world * mV * mP;
}
>>>

fragment DepthFS <<<
void main() {
}
>>>

vertex OutlineVS <<<
void main() {
	vec4 world = vec4(inPosition.xyz, 1.0) * mW;
	vec3 normal = (vec4(inNormal, 0.0) * mW).xyz;
	float lengthOfNormal = length(normal);
	normal = lengthOfNormal > 0.0 ? normal / lengthOfNormal : vec3(0.0);
	// Never thinner than about a pixel and a half, so distant parts keep
	// their line.
	vec4 view = world * mV;
	float width = max(OutlineSize, view.z * 0.0025);
	world.xyz += normal * width;
	gl_Position = world * mV * mP;
}
>>>

fragment OutlineFS <<<
layout(location = 0) out vec4 color;
layout(location = 1) out vec4 glow;
void main() {
	color = OutlineColor;
	glow = vec4(0.0, 0.0, 0.0, OutlineColor.a);
}
>>>

technique Tech {
	pass P0 {
		VertexShader = ToonVS;
		FragmentShader = ToonFS;
		CullMode = CCW;
		ZEnable = True;
		ZWriteEnable = True;
	}
}

technique OutlineTech {
	pass P0 {
		VertexShader = OutlineVS;
		FragmentShader = OutlineFS;
		CullMode = CW;
		ZEnable = True;
		ZWriteEnable = True;
	}
}

technique DepthTech {
	pass P0 {
		VertexShader = DepthVS;
		FragmentShader = DepthFS;
		CullMode = CCW;
		ZEnable = True;
		ZWriteEnable = True;
		ColorWriteEnable = 0;
	}
}
