#pragma once

#include <string>

namespace me::test {

// COLLADA documents written for the tests, and the text surgery that turns
// them into the broken variants the loader must refuse.

// A unit square in the document's xy plane as two triangles, with normals
// and texture coordinates, bound to the material named "red" and placed by
// node "Quad" (translated by 1 2 3). Z up.
inline const char* const kQuadDocument = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Z_UP</up_axis></asset>
  <library_materials>
    <material id="red-material" name="red"/>
  </library_materials>
  <library_geometries>
    <geometry id="quad" name="quad">
      <mesh>
        <source id="quad-positions">
          <float_array id="quad-positions-array" count="12">0 0 0 1 0 0 1 1 0 0 1 0</float_array>
          <technique_common><accessor source="#quad-positions-array" count="4" stride="3"/></technique_common>
        </source>
        <source id="quad-normals">
          <float_array id="quad-normals-array" count="3">0 0 1</float_array>
          <technique_common><accessor source="#quad-normals-array" count="1" stride="3"/></technique_common>
        </source>
        <source id="quad-uvs">
          <float_array id="quad-uvs-array" count="8">0 0 1 0 1 1 0 1</float_array>
          <technique_common><accessor source="#quad-uvs-array" count="4" stride="2"/></technique_common>
        </source>
        <vertices id="quad-vertices"><input semantic="POSITION" source="#quad-positions"/></vertices>
        <triangles material="SYM" count="2">
          <input semantic="VERTEX" source="#quad-vertices" offset="0"/>
          <input semantic="NORMAL" source="#quad-normals" offset="1"/>
          <input semantic="TEXCOORD" source="#quad-uvs" offset="2" set="0"/>
          <p>0 0 0 1 0 1 2 0 2 0 0 0 2 0 2 3 0 3</p>
        </triangles>
      </mesh>
    </geometry>
  </library_geometries>
  <library_visual_scenes>
    <visual_scene id="scene">
      <node id="quad-node" name="Quad">
        <translate sid="location">1 2 3</translate>
        <instance_geometry url="#quad">
          <bind_material><technique_common>
            <instance_material symbol="SYM" target="#red-material"/>
          </technique_common></bind_material>
        </instance_geometry>
      </node>
    </visual_scene>
  </library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
)";

// Node "Box" (id "box") with a translation and a rotation about z, both
// animated by linear channels over two seconds.
inline const char* const kAnimDocument = R"(<?xml version="1.0"?>
<COLLADA version="1.4.1">
  <library_animations>
    <animation id="move">
      <source id="times"><float_array id="times-array" count="3">0 1 2</float_array>
        <technique_common><accessor source="#times-array" count="3"/></technique_common></source>
      <source id="xs"><float_array id="xs-array" count="3">0 10 30</float_array>
        <technique_common><accessor source="#xs-array" count="3"/></technique_common></source>
      <source id="angles"><float_array id="angles-array" count="3">0 90 180</float_array>
        <technique_common><accessor source="#angles-array" count="3"/></technique_common></source>
      <source id="kinds"><Name_array id="kinds-array" count="3">LINEAR LINEAR LINEAR</Name_array>
        <technique_common><accessor source="#kinds-array" count="3"/></technique_common></source>
      <sampler id="x-sampler">
        <input semantic="INPUT" source="#times"/><input semantic="OUTPUT" source="#xs"/>
        <input semantic="INTERPOLATION" source="#kinds"/>
      </sampler>
      <sampler id="angle-sampler">
        <input semantic="INPUT" source="#times"/><input semantic="OUTPUT" source="#angles"/>
        <input semantic="INTERPOLATION" source="#kinds"/>
      </sampler>
      <channel source="#x-sampler" target="box/translate.X"/>
      <channel source="#angle-sampler" target="box/rotateZ.ANGLE"/>
    </animation>
  </library_animations>
  <library_visual_scenes>
    <visual_scene id="scene">
      <node id="box" name="Box">
        <translate sid="translate">5 6 7</translate>
        <rotate sid="rotateZ">0 0 1 30</rotate>
      </node>
    </visual_scene>
  </library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
)";

// The document with the first occurrence of from replaced by to; the
// text is left as it is when from is missing, which the caller's checks
// then catch.
inline std::string replaced(std::string document, const std::string& from, const std::string& to) {
    const size_t at = document.find(from);
    if (at != std::string::npos)
        document.replace(at, from.size(), to);
    return document;
}

}  // namespace me::test
