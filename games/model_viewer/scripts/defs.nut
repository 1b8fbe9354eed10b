// The viewer's resources. A model is a mesh (a COLLADA document) with a
// material for each of its parts; a material is a shader and the values of
// its properties.

// Lit and textured: the drawer fills the internal light direction, the
// material gives the texture and the colour it is multiplied by.
g_shader_defs["lit"] <- {
    attributes = [ { name = "a_position", semantic = "position", type = "vector3" },
                   { name = "a_normal", semantic = "normal", type = "vector3" },
                   { name = "a_texcoord", semantic = "texcoord", type = "vector2" } ],
    uniforms = [ { name = "u_texture", type = "texture", property_name = "diffuse" },
                 { name = "u_color", type = "vector4f", property_name = "color" },
                 { name = "u_light", type = "vector3f", property_name = "light_direction", internal = true } ],
    vertex_shader = "data/shaders/lit.vs",
    pixel_shader = "data/shaders/lit.ps"
};

g_texture_defs["bricks"] <- { file = "data/textures/bricks.png", mipmaps = false };

g_material_defs["bricks"] <- { shader = "lit", diffuse = "bricks", color = [1.0, 1.0, 1.0, 1.0] };
// No texture: the white built-in one stands in, so the colour alone shows.
g_material_defs["roof_tiles"] <- { shader = "lit", color = [0.55, 0.18, 0.12, 1.0] };

g_mesh_resource_defs["house"] <- { file = "data/models/house.dae" };

// The document names its materials "Walls" and "Roof".
g_model_defs["house"] <- { mesh = "house", material = { Walls = "bricks", Roof = "roof_tiles" } };
