vortane-effect 1
float4 FillColor;

vertex ScreenVS <<<
void main() {
	gl_Position = d3d_PreTransformed(inPosition);
}
>>>

fragment BrokenFS <<<
layout(location = 0) out vec4 color;
void main() {
	color = FillColour;
}
>>>

technique Fill {
	pass P0 {
		VertexShader = ScreenVS;
		FragmentShader = BrokenFS;
	}
}
