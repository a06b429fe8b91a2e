#pragma once
// Run-time binding of OpenGL 1.1 and GLU: the libraries are opened by name and
// every entry point the program uses is looked up by its exported name. This
// header carries its own types and constants so that the engine and the game
// never include a system GL header; the values are those of the OpenGL 1.1 and
// GLU 1.3 ABI.
//
// The binding is loaded once, by the first renderer, and stays until the
// program ends. All calls go to the context current on the calling thread.

#include <cstdint>
#include <string>

namespace platform::gl {

using GLenum = std::uint32_t;
using GLboolean = std::uint8_t;
using GLbitfield = std::uint32_t;
using GLbyte = std::int8_t;
using GLubyte = std::uint8_t;
using GLint = std::int32_t;
using GLsizei = std::int32_t;
using GLuint = std::uint32_t;
using GLfloat = float;
using GLclampf = float;
using GLdouble = double;
using GLclampd = double;

struct GLUtesselator; // opaque, owned by GLU

inline constexpr GLboolean GL_FALSE = 0;
inline constexpr GLboolean GL_TRUE = 1;

// Primitives
inline constexpr GLenum GL_POINTS = 0x0000;
inline constexpr GLenum GL_LINES = 0x0001;
inline constexpr GLenum GL_LINE_LOOP = 0x0002;
inline constexpr GLenum GL_TRIANGLES = 0x0004;
inline constexpr GLenum GL_QUADS = 0x0007;
inline constexpr GLenum GL_POLYGON = 0x0009;

// Buffers, attributes
inline constexpr GLbitfield GL_DEPTH_BUFFER_BIT = 0x00000100;
inline constexpr GLbitfield GL_COLOR_BUFFER_BIT = 0x00004000;
inline constexpr GLbitfield GL_CURRENT_BIT = 0x00000001;
inline constexpr GLbitfield GL_VIEWPORT_BIT = 0x00000800;
inline constexpr GLbitfield GL_TRANSFORM_BIT = 0x00001000;
inline constexpr GLbitfield GL_ENABLE_BIT = 0x00002000;
inline constexpr GLbitfield GL_LIST_BIT = 0x00020000;
inline constexpr GLbitfield GL_SCISSOR_BIT = 0x00080000;

// Capabilities
inline constexpr GLenum GL_LINE_SMOOTH = 0x0B20;
inline constexpr GLenum GL_CULL_FACE = 0x0B44;
inline constexpr GLenum GL_LIGHTING = 0x0B50;
inline constexpr GLenum GL_COLOR_MATERIAL = 0x0B57;
inline constexpr GLenum GL_DEPTH_TEST = 0x0B71;
inline constexpr GLenum GL_BLEND = 0x0BE2;
inline constexpr GLenum GL_SCISSOR_TEST = 0x0C11;
inline constexpr GLenum GL_TEXTURE_2D = 0x0DE1;

// Matrices
inline constexpr GLenum GL_MODELVIEW = 0x1700;
inline constexpr GLenum GL_PROJECTION = 0x1701;

// Blending
inline constexpr GLenum GL_ZERO = 0;
inline constexpr GLenum GL_ONE = 1;
inline constexpr GLenum GL_SRC_ALPHA = 0x0302;
inline constexpr GLenum GL_ONE_MINUS_SRC_ALPHA = 0x0303;

// Lists
inline constexpr GLenum GL_COMPILE = 0x1300;

// Pixel data
inline constexpr GLenum GL_UNSIGNED_BYTE = 0x1401;
inline constexpr GLenum GL_UNSIGNED_INT = 0x1405;
inline constexpr GLenum GL_FLOAT = 0x1406;

// Vertex arrays
inline constexpr GLenum GL_VERTEX_ARRAY = 0x8074;
inline constexpr GLenum GL_TEXTURE_COORD_ARRAY = 0x8078;
inline constexpr GLenum GL_RGB = 0x1907;
inline constexpr GLenum GL_RGBA = 0x1908;
inline constexpr GLenum GL_DEPTH_COMPONENT = 0x1902;
inline constexpr GLenum GL_UNPACK_ALIGNMENT = 0x0CF5;
inline constexpr GLenum GL_PACK_ALIGNMENT = 0x0D05;

// Textures
inline constexpr GLenum GL_TEXTURE_MAG_FILTER = 0x2800;
inline constexpr GLenum GL_TEXTURE_MIN_FILTER = 0x2801;
inline constexpr GLenum GL_NEAREST = 0x2600;
inline constexpr GLenum GL_LINEAR = 0x2601;
inline constexpr GLenum GL_TEXTURE_WIDTH = 0x1000;
inline constexpr GLenum GL_TEXTURE_HEIGHT = 0x1001;
inline constexpr GLenum GL_TEXTURE_INTERNAL_FORMAT = 0x1003;
inline constexpr GLenum GL_TEXTURE_ENV = 0x2300;
inline constexpr GLenum GL_TEXTURE_ENV_MODE = 0x2200;
inline constexpr GLenum GL_MODULATE = 0x2100;
inline constexpr GLenum GL_REPLACE = 0x1E01;

// Queries
inline constexpr GLenum GL_NO_ERROR = 0;
inline constexpr GLenum GL_CURRENT_RASTER_POSITION = 0x0B07;
inline constexpr GLenum GL_CURRENT_RASTER_POSITION_VALID = 0x0B08;
inline constexpr GLenum GL_VIEWPORT = 0x0BA2;
inline constexpr GLenum GL_MAX_TEXTURE_SIZE = 0x0D33;
inline constexpr GLenum GL_PROJECTION_STACK_DEPTH = 0x0BA4;
inline constexpr GLenum GL_MODELVIEW_STACK_DEPTH = 0x0BA3;
inline constexpr GLenum GL_MODELVIEW_MATRIX = 0x0BA6;
inline constexpr GLenum GL_PROJECTION_MATRIX = 0x0BA7;
inline constexpr GLenum GL_RENDERER = 0x1F01;
inline constexpr GLenum GL_VERSION = 0x1F02;

// GLU tessellator
inline constexpr GLenum GLU_TESS_BEGIN_DATA = 100106;
inline constexpr GLenum GLU_TESS_VERTEX_DATA = 100107;
inline constexpr GLenum GLU_TESS_END_DATA = 100108;
inline constexpr GLenum GLU_TESS_ERROR_DATA = 100109;
inline constexpr GLenum GLU_TESS_COMBINE_DATA = 100111;
inline constexpr GLenum GLU_TESS_WINDING_RULE = 100140;
inline constexpr GLdouble GLU_TESS_WINDING_NONZERO = 100131;

// The OpenGL 1.1 entry points the program calls.
struct GLFunctions {
    void (*Begin)(GLenum mode) = nullptr;
    void (*End)() = nullptr;
    void (*Vertex2d)(GLdouble x, GLdouble y) = nullptr;
    void (*Vertex3f)(GLfloat x, GLfloat y, GLfloat z) = nullptr;
    void (*Vertex3dv)(const GLdouble* v) = nullptr;
    void (*TexCoord2f)(GLfloat s, GLfloat t) = nullptr;
    void (*Color3f)(GLfloat r, GLfloat g, GLfloat b) = nullptr;
    void (*Color4f)(GLfloat r, GLfloat g, GLfloat b, GLfloat a) = nullptr;
    void (*LineWidth)(GLfloat width) = nullptr;
    void (*PointSize)(GLfloat size) = nullptr;

    void (*VertexPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer) = nullptr;
    void (*TexCoordPointer)(GLint size, GLenum type, GLsizei stride, const void* pointer) = nullptr;
    void (*EnableClientState)(GLenum array) = nullptr;
    void (*DisableClientState)(GLenum array) = nullptr;
    void (*DrawArrays)(GLenum mode, GLint first, GLsizei count) = nullptr;

    void (*Clear)(GLbitfield mask) = nullptr;
    void (*ClearColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a) = nullptr;
    void (*Flush)() = nullptr;
    void (*Finish)() = nullptr;
    void (*Viewport)(GLint x, GLint y, GLsizei width, GLsizei height) = nullptr;
    void (*Scissor)(GLint x, GLint y, GLsizei width, GLsizei height) = nullptr;

    void (*MatrixMode)(GLenum mode) = nullptr;
    void (*LoadIdentity)() = nullptr;
    void (*PushMatrix)() = nullptr;
    void (*PopMatrix)() = nullptr;
    void (*Frustum)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                    GLdouble zFar) = nullptr;
    void (*Ortho)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                  GLdouble zFar) = nullptr;
    void (*Translated)(GLdouble x, GLdouble y, GLdouble z) = nullptr;
    void (*Scaled)(GLdouble x, GLdouble y, GLdouble z) = nullptr;
    void (*Rotated)(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) = nullptr;

    void (*PushAttrib)(GLbitfield mask) = nullptr;
    void (*PopAttrib)() = nullptr;
    void (*Enable)(GLenum capability) = nullptr;
    void (*Disable)(GLenum capability) = nullptr;
    GLboolean (*IsEnabled)(GLenum capability) = nullptr;
    void (*BlendFunc)(GLenum source, GLenum destination) = nullptr;

    void (*RasterPos3f)(GLfloat x, GLfloat y, GLfloat z) = nullptr;
    void (*Bitmap)(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove,
                   GLfloat yMove, const GLubyte* bitmap) = nullptr;
    void (*PixelStorei)(GLenum name, GLint value) = nullptr;
    void (*ReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                       void* pixels) = nullptr;

    GLuint (*GenLists)(GLsizei range) = nullptr;
    void (*NewList)(GLuint list, GLenum mode) = nullptr;
    void (*EndList)() = nullptr;
    void (*CallList)(GLuint list) = nullptr;
    void (*CallLists)(GLsizei n, GLenum type, const void* lists) = nullptr;
    void (*ListBase)(GLuint base) = nullptr;
    void (*DeleteLists)(GLuint list, GLsizei range) = nullptr;
    GLboolean (*IsList)(GLuint list) = nullptr;

    void (*GenTextures)(GLsizei n, GLuint* textures) = nullptr;
    void (*DeleteTextures)(GLsizei n, const GLuint* textures) = nullptr;
    void (*BindTexture)(GLenum target, GLuint texture) = nullptr;
    GLboolean (*IsTexture)(GLuint texture) = nullptr;
    void (*TexParameteri)(GLenum target, GLenum name, GLint value) = nullptr;
    void (*TexEnvi)(GLenum target, GLenum name, GLint value) = nullptr;
    void (*TexImage2D)(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                       GLint border, GLenum format, GLenum type, const void* pixels) = nullptr;
    void (*GetTexImage)(GLenum target, GLint level, GLenum format, GLenum type, void* pixels) = nullptr;
    void (*GetTexLevelParameteriv)(GLenum target, GLint level, GLenum name, GLint* values) = nullptr;

    GLenum (*GetError)() = nullptr;
    void (*GetIntegerv)(GLenum name, GLint* values) = nullptr;
    void (*GetFloatv)(GLenum name, GLfloat* values) = nullptr;
    const GLubyte* (*GetString)(GLenum name) = nullptr;
};

using GLUTessCallback = void (*)();

// The GLU entry points the program calls.
struct GLUFunctions {
    void (*Ortho2D)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) = nullptr;
    GLUtesselator* (*NewTess)() = nullptr;
    void (*DeleteTess)(GLUtesselator* tess) = nullptr;
    void (*TessCallback)(GLUtesselator* tess, GLenum which, GLUTessCallback callback) = nullptr;
    void (*TessProperty)(GLUtesselator* tess, GLenum which, GLdouble value) = nullptr;
    void (*TessNormal)(GLUtesselator* tess, GLdouble x, GLdouble y, GLdouble z) = nullptr;
    void (*TessBeginPolygon)(GLUtesselator* tess, void* polygonData) = nullptr;
    void (*TessBeginContour)(GLUtesselator* tess) = nullptr;
    void (*TessVertex)(GLUtesselator* tess, GLdouble* location, void* vertexData) = nullptr;
    void (*TessEndContour)(GLUtesselator* tess) = nullptr;
    void (*TessEndPolygon)(GLUtesselator* tess) = nullptr;
};

} // namespace platform::gl

namespace platform {

inline constexpr const char* OpenGLLibraryName = "libGL.so.1";
inline constexpr const char* GLULibraryName = "libGLU.so.1";

// Opens the two libraries and binds every entry point, the first time it is
// called; later calls answer at once. False when a library cannot be opened
// or lacks an entry point the program calls; then nothing stays open, and the
// next call tries again.
bool LoadOpenGLBinding();

// The same check for other library names, leaving the program's binding
// alone: true when both would bind completely.
bool CanBindOpenGL(const std::string& glLibrary, const std::string& gluLibrary);

// The tables of the loaded binding. Only after LoadOpenGLBinding answered true.
const gl::GLFunctions& GL();
const gl::GLUFunctions& GLU();

} // namespace platform
