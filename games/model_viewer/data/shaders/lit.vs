// Positions through the camera and model matrices the drawer loads; a
// little ambient light plus the diffuse light of one direction.
attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec2 a_texcoord;
uniform vec3 u_light;
varying vec2 v_uv;
varying float v_light;

void main() {
    gl_Position = gl_ModelViewProjectionMatrix * vec4(a_position, 1.0);
    vec3 normal = normalize(gl_NormalMatrix * a_normal);
    v_light = 0.3 + 0.7 * max(dot(normal, u_light), 0.0);
    v_uv = a_texcoord;
}
