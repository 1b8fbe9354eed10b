#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "gl_test_context.h"
#include "gpu/index_buffer.h"
#include "gpu/shader.h"
#include "gpu/vertex_array_layout.h"
#include "gpu/vertex_buffer.h"
#include "gpu/vertex_format.h"

namespace me {
namespace {

TEST(VertexFormatTest, CodesDescribeTheirComponents) {
    EXPECT_EQ(vertex_format_bytes(kFloat1), 4u);
    EXPECT_EQ(vertex_format_bytes(kFloat2), 8u);
    EXPECT_EQ(vertex_format_bytes(kFloat3), 12u);
    EXPECT_EQ(vertex_format_bytes(kFloat4), 16u);
    EXPECT_EQ(vertex_format_bytes(kColorBytes), 4u);
    EXPECT_EQ(vertex_format_components(kFloat3), 3);
    EXPECT_EQ(vertex_format_components(kColorBytes), 4);
    EXPECT_EQ(vertex_format_gl_type(kFloat2), static_cast<GLenum>(GL_FLOAT));
    EXPECT_EQ(vertex_format_gl_type(kColorBytes), static_cast<GLenum>(GL_UNSIGNED_BYTE));
    EXPECT_TRUE(vertex_format_normalised(kColorBytes));
    EXPECT_FALSE(vertex_format_normalised(kFloat4));
    for (uint16_t invalid : {0x0, 0x650, 0x1130, 0x600, 0xFFFF}) {
        EXPECT_FALSE(is_valid_vertex_format(invalid)) << invalid;
        EXPECT_EQ(vertex_format_bytes(invalid), 0u) << invalid;
    }
}

TEST(VertexFormatTest, FloatsAreCopiedAndColoursPacked) {
    std::array<uint8_t, 16> out{};
    const std::array<float, 4> values{1.5f, -2.0f, 0.25f, 9.0f};
    ASSERT_TRUE(write_vertex_element(kFloat3, values, out));
    float read[4] = {};
    std::memcpy(read, out.data(), sizeof(read));
    EXPECT_EQ(read[0], 1.5f);
    EXPECT_EQ(read[2], 0.25f);
    EXPECT_EQ(read[3], 0.0f) << "bytes past the element are untouched";

    const std::array<float, 4> colour{1.0f, 0.5f, -3.0f, std::numeric_limits<float>::quiet_NaN()};
    ASSERT_TRUE(write_vertex_element(kColorBytes, colour, out));
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 128);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0);
}

TEST(VertexFormatDeathTest, AnUnknownFormatIsFatal) {
    setenv("QUILLMOOR_NO_MESSAGE_BOX", "1", 1);
    std::array<uint8_t, 16> out{};
    const std::array<float, 4> values{1, 2, 3, 4};
    EXPECT_EXIT(write_vertex_element(0x650, values, out), ::testing::ExitedWithCode(1),
                "Error: Invalid vertex stream format\\. \\(error\\)");
}

TEST(VertexFormatTest, BadWritesChangeNothing) {
    std::array<uint8_t, 16> out{};
    out.fill(7);
    const std::array<float, 4> values{1, 2, 3, 4};
    EXPECT_FALSE(write_vertex_element(kFloat4, std::span(values).first(3), out));
    EXPECT_FALSE(write_vertex_element(kFloat4, values, std::span(out).first(15)));
    EXPECT_FALSE(write_vertex_element(kColorBytes, values, std::span(out).first(3)));
    for (uint8_t byte : out)
        EXPECT_EQ(byte, 7);
}

TEST(VertexDeclarationTest, StreamsFollowEachOther) {
    VertexDeclaration declaration;
    ASSERT_TRUE(declaration.append(VertexSemantic::Position, kFloat3));
    ASSERT_TRUE(declaration.append(VertexSemantic::Color, kColorBytes));
    ASSERT_TRUE(declaration.append(VertexSemantic::TexCoord, kFloat2));
    EXPECT_EQ(declaration.vertex_size(), 24u);
    ASSERT_EQ(declaration.streams().size(), 3u);
    EXPECT_EQ(declaration.streams()[1].offset, 12u);
    EXPECT_EQ(declaration.streams()[2].offset, 16u);
    for (const VertexStream& stream : declaration.streams())
        EXPECT_EQ(stream.stride, 24u);
}

TEST(VertexDeclarationTest, InvalidFormatsAndANinthStreamAreRefused) {
    VertexDeclaration declaration;
    EXPECT_FALSE(declaration.append(VertexSemantic::Position, 0x123));
    EXPECT_EQ(declaration.vertex_size(), 0u);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(declaration.append(VertexSemantic::Normal, kFloat1));
    EXPECT_FALSE(declaration.append(VertexSemantic::Normal, kFloat1));
    EXPECT_EQ(declaration.streams().size(), 8u);
    EXPECT_EQ(declaration.vertex_size(), 32u);
}

TEST(VertexLayoutTest, AttributesTakeTheFirstStreamOfTheirSemanticAndSize) {
    VertexDeclaration first;
    first.append(VertexSemantic::Position, kFloat2);
    first.append(VertexSemantic::Position, kFloat3);
    first.append(VertexSemantic::Color, kColorBytes);
    VertexDeclaration second;
    second.append(VertexSemantic::TexCoord, kFloat2);
    second.append(VertexSemantic::Color, kFloat4);
    const std::array<const VertexDeclaration*, 2> declarations{&first, &second};
    const std::vector<ShaderAttribute> attributes{{"p", VertexSemantic::Position, 3},
                                                  {"c", VertexSemantic::Color, 4},
                                                  {"t", VertexSemantic::TexCoord, 2},
                                                  {"n", VertexSemantic::Normal, 3}};

    const VertexLayout custom = build_vertex_layout(declarations, attributes, true);
    EXPECT_EQ(custom.slots[0], (VertexLayoutSlot{0, kFloat3, 8, 24}));
    EXPECT_EQ(custom.slots[1], (VertexLayoutSlot{0, kColorBytes, 20, 24}));
    EXPECT_EQ(custom.slots[2], (VertexLayoutSlot{1, kFloat2, 0, 24}));
    EXPECT_FALSE(custom.slots[3].in_use()) << "no normal stream";
    EXPECT_EQ(custom.slots[3].format, kFloat4);

    // Fixed layouts are ordered by stream: position, normal, colour, texture.
    const VertexLayout fixed = build_vertex_layout(declarations, std::span(attributes).first(3), false);
    EXPECT_EQ(fixed.slots[0].offset, 8u);
    EXPECT_FALSE(fixed.slots[1].in_use());
    EXPECT_EQ(fixed.slots[2].format, kColorBytes);
    EXPECT_EQ(fixed.slots[3].buffer_index, 1);
    EXPECT_FALSE(fixed.same_settings(custom));
}

class BufferTest : public test::SpineTest {
protected:
    GlStateCache no_context;
};

TEST_F(BufferTest, WithoutGlBuffersLiveInClientMemory) {
    VertexDeclaration declaration;
    declaration.append(VertexSemantic::Position, kFloat2);
    VertexBuffer buffer(no_context, declaration, 4, BufferUsage::Static);
    EXPECT_EQ(buffer.storage().usage(), BufferUsage::ClientMemory);
    const std::array<float, 4> vertices{1, 2, 3, 4};
    ASSERT_TRUE(buffer.upload(std::span(reinterpret_cast<const uint8_t*>(vertices.data()), 16), 2));
    float copied[4] = {};
    std::memcpy(copied, buffer.storage().client_data(), 16);
    EXPECT_EQ(copied[3], 4.0f);
    std::span<uint8_t> mapped = buffer.map();
    ASSERT_EQ(mapped.size(), 32u);
    EXPECT_TRUE(buffer.storage().mapped());
    buffer.unmap();
    EXPECT_FALSE(buffer.storage().mapped());
    EXPECT_EQ(no_context.call_count(), 0u);
}

TEST_F(BufferTest, UploadsBeyondTheCapacityOrTheDataAreRefused) {
    IndexBuffer indices(no_context, 3, BufferUsage::Dynamic);
    EXPECT_FALSE(indices.upload(std::array<uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_TRUE(logged("error: Buffer upload of 4 elements doesn't fit (capacity 3, 8 bytes given)."));
    EXPECT_TRUE(indices.upload(std::array<uint16_t, 3>{5, 6, 7}));
    const std::array<uint8_t, 3> short_data{1, 2, 3};
    EXPECT_FALSE(indices.storage().upload(short_data, 2)) << "two indices need four bytes";
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(indices.storage().client_data())[0], 5);
}

TEST_F(BufferTest, OversizedBuffersAreRefusedWithoutAllocating) {
    const size_t one_too_many = BufferStorage::kMaxBytes / 2 + 1;
    IndexBuffer huge(no_context, one_too_many, BufferUsage::ClientMemory);
    EXPECT_EQ(huge.storage().capacity(), 0u);
    EXPECT_TRUE(logged(format_message("error: A buffer of %1 elements of 2 bytes is too large.", one_too_many)));
    EXPECT_FALSE(huge.upload(std::array<uint16_t, 1>{1}));
    EXPECT_TRUE(huge.storage().map().empty());
}

class BufferGlTest : public test::GlTest {
protected:
    Image draw_quad(BufferUsage usage, bool indexed) {
        bind_off_screen();
        device->clear();
        device->set_shader(&device->fixed_shader());
        device->set_geometry(make_full_quad({0.25f, 0.5f, 1.0f, 1.0f}, usage, indexed));
        if (indexed)
            device->draw_indexed_triangles(6);
        else
            device->draw_triangles(0, 6);
        return read_pixels();
    }

    static constexpr Rgba kExpected{64, 128, 255, 255};
};

TEST_F(BufferGlTest, GlBuffersDraw) {
    EXPECT_LE(difference_from(draw_quad(BufferUsage::Static, false), kExpected), 1);
    EXPECT_LE(difference_from(draw_quad(BufferUsage::Dynamic, true), kExpected), 1);
}

TEST_F(BufferGlTest, ClientMemoryDrawsTheSamePicture) {
    EXPECT_LE(difference_from(draw_quad(BufferUsage::ClientMemory, false), kExpected), 1);
    EXPECT_LE(difference_from(draw_quad(BufferUsage::ClientMemory, true), kExpected), 1);
}

TEST_F(BufferGlTest, NoVboForcesClientMemoryAndStillDraws) {
    registry.set_int("opengl::no_vbo", 1);
    auto buffer = device->create_vertex_buffer(VertexDeclaration(), 1, BufferUsage::Static);
    EXPECT_EQ(buffer->storage().usage(), BufferUsage::ClientMemory);
    EXPECT_EQ(buffer->storage().gl_name(), 0u);
    EXPECT_LE(difference_from(draw_quad(BufferUsage::Static, true), kExpected), 1);
}

TEST_F(BufferGlTest, GlBuffersAreMappedForWriting) {
    VertexDeclaration declaration;
    declaration.append(VertexSemantic::Position, kFloat1);
    auto buffer = device->create_vertex_buffer(declaration, 8, BufferUsage::Dynamic);
    ASSERT_NE(buffer->storage().gl_name(), 0u);
    std::span<uint8_t> mapped = buffer->map();
    ASSERT_EQ(mapped.size(), 32u);
    EXPECT_TRUE(buffer->map().empty()) << "mapped twice";
    std::fill(mapped.begin(), mapped.end(), uint8_t{9});
    buffer->unmap();
    std::array<uint8_t, 32> read{};
    glBindBuffer(GL_ARRAY_BUFFER, buffer->storage().gl_name());
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 32, read.data());
    EXPECT_EQ(read[31], 9);
}

TEST_F(BufferGlTest, ArrayBufferBindingsAreNotRepeated) {
    VertexDeclaration declaration;
    declaration.append(VertexSemantic::Position, kFloat1);
    auto buffer = device->create_vertex_buffer(declaration, 2, BufferUsage::Static);
    const GLuint name = buffer->storage().gl_name();
    EXPECT_EQ(device->gl().bound_array_buffer(), name);
    const uint64_t before = device->gl().call_count();
    device->gl().bind_array_buffer(name);
    EXPECT_EQ(device->gl().call_count(), before);
    buffer.reset();
    EXPECT_EQ(device->gl().bound_array_buffer(), 0u) << "a deleted buffer is forgotten";
}

TEST_F(BufferGlTest, StreamsAreEnabledOnlyWhenTheirUseChanges) {
    auto first = make_full_quad({1, 1, 1, 1}, BufferUsage::ClientMemory, false);
    auto second = make_full_quad({1, 0, 1, 1}, BufferUsage::ClientMemory, false);
    EXPECT_EQ(first->vertex_array(), 0u) << "client memory cannot be recorded in a vertex-array object";
    EXPECT_EQ(&first->layout(), &second->layout()) << "equal layouts are interned once";
    const uint64_t start = device->gl().call_count();
    device->set_geometry(first);
    EXPECT_EQ(device->gl().call_count() - start, 2u) << "vertex and colour arrays";
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    const uint64_t after_first = device->gl().call_count();
    device->set_geometry(second);
    device->set_geometry(second);
    EXPECT_EQ(device->gl().call_count(), after_first);
}

TEST_F(BufferGlTest, GeometryInGlBuffersIsRecordedInAVertexArray) {
    ASSERT_TRUE(device->capabilities().vertex_arrays);
    auto recorded = make_full_quad({0.25f, 0.5f, 1.0f, 1.0f}, BufferUsage::Static, true);
    ASSERT_NE(recorded->vertex_array(), 0u);
    bind_off_screen();
    device->clear();
    device->set_shader(&device->fixed_shader());
    // Streams set up for another geometry in the default array must not leak
    // into the recorded one, nor the other way round.
    device->set_geometry(make_full_quad({1, 0, 0, 1}, BufferUsage::ClientMemory, false));
    device->set_geometry(recorded);
    GLint bound = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), recorded->vertex_array());
    // Index buffers made and filled meanwhile leave the recorded indices bound.
    auto other = device->create_index_buffer(3, BufferUsage::Dynamic);
    EXPECT_TRUE(other->upload(std::array<uint16_t, 3>{3, 3, 3}));
    EXPECT_TRUE(other->upload(std::array<uint16_t, 2>{3, 3}));
    device->draw_indexed_triangles(6);
    EXPECT_LE(difference_from(read_pixels(), kExpected), 1);
    device->set_geometry(make_full_quad({1, 0, 0, 1}, BufferUsage::ClientMemory, false));
    device->draw_triangles(0, 6);
    EXPECT_LE(difference_from(read_pixels(), {255, 0, 0, 255}), 1);
}

}  // namespace
}  // namespace me
