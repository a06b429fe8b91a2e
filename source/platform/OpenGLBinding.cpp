#include "platform/OpenGLBinding.h"

#include "platform/SharedLibrary.h"

#include <cassert>
#include <memory>

namespace platform {

namespace {

bool BindGL(const SharedLibrary& library, gl::GLFunctions& f) {
    EntryPointBinder b(library);
    b.Bind(f.Begin, "glBegin");
    b.Bind(f.End, "glEnd");
    b.Bind(f.Vertex2d, "glVertex2d");
    b.Bind(f.Vertex3f, "glVertex3f");
    b.Bind(f.Vertex3dv, "glVertex3dv");
    b.Bind(f.TexCoord2f, "glTexCoord2f");
    b.Bind(f.Color3f, "glColor3f");
    b.Bind(f.Color4f, "glColor4f");
    b.Bind(f.LineWidth, "glLineWidth");
    b.Bind(f.PointSize, "glPointSize");
    b.Bind(f.VertexPointer, "glVertexPointer");
    b.Bind(f.TexCoordPointer, "glTexCoordPointer");
    b.Bind(f.EnableClientState, "glEnableClientState");
    b.Bind(f.DisableClientState, "glDisableClientState");
    b.Bind(f.DrawArrays, "glDrawArrays");
    b.Bind(f.Clear, "glClear");
    b.Bind(f.ClearColor, "glClearColor");
    b.Bind(f.Flush, "glFlush");
    b.Bind(f.Finish, "glFinish");
    b.Bind(f.Viewport, "glViewport");
    b.Bind(f.Scissor, "glScissor");
    b.Bind(f.MatrixMode, "glMatrixMode");
    b.Bind(f.LoadIdentity, "glLoadIdentity");
    b.Bind(f.PushMatrix, "glPushMatrix");
    b.Bind(f.PopMatrix, "glPopMatrix");
    b.Bind(f.Frustum, "glFrustum");
    b.Bind(f.Ortho, "glOrtho");
    b.Bind(f.Translated, "glTranslated");
    b.Bind(f.Scaled, "glScaled");
    b.Bind(f.Rotated, "glRotated");
    b.Bind(f.PushAttrib, "glPushAttrib");
    b.Bind(f.PopAttrib, "glPopAttrib");
    b.Bind(f.Enable, "glEnable");
    b.Bind(f.Disable, "glDisable");
    b.Bind(f.IsEnabled, "glIsEnabled");
    b.Bind(f.BlendFunc, "glBlendFunc");
    b.Bind(f.RasterPos3f, "glRasterPos3f");
    b.Bind(f.Bitmap, "glBitmap");
    b.Bind(f.PixelStorei, "glPixelStorei");
    b.Bind(f.ReadPixels, "glReadPixels");
    b.Bind(f.GenLists, "glGenLists");
    b.Bind(f.NewList, "glNewList");
    b.Bind(f.EndList, "glEndList");
    b.Bind(f.CallList, "glCallList");
    b.Bind(f.CallLists, "glCallLists");
    b.Bind(f.ListBase, "glListBase");
    b.Bind(f.DeleteLists, "glDeleteLists");
    b.Bind(f.IsList, "glIsList");
    b.Bind(f.GenTextures, "glGenTextures");
    b.Bind(f.DeleteTextures, "glDeleteTextures");
    b.Bind(f.BindTexture, "glBindTexture");
    b.Bind(f.IsTexture, "glIsTexture");
    b.Bind(f.TexParameteri, "glTexParameteri");
    b.Bind(f.TexEnvi, "glTexEnvi");
    b.Bind(f.TexImage2D, "glTexImage2D");
    b.Bind(f.GetTexImage, "glGetTexImage");
    b.Bind(f.GetTexLevelParameteriv, "glGetTexLevelParameteriv");
    b.Bind(f.GetError, "glGetError");
    b.Bind(f.GetIntegerv, "glGetIntegerv");
    b.Bind(f.GetFloatv, "glGetFloatv");
    b.Bind(f.GetString, "glGetString");
    return b.AllFound();
}

bool BindGLU(const SharedLibrary& library, gl::GLUFunctions& f) {
    EntryPointBinder b(library);
    b.Bind(f.Ortho2D, "gluOrtho2D");
    b.Bind(f.NewTess, "gluNewTess");
    b.Bind(f.DeleteTess, "gluDeleteTess");
    b.Bind(f.TessCallback, "gluTessCallback");
    b.Bind(f.TessProperty, "gluTessProperty");
    b.Bind(f.TessNormal, "gluTessNormal");
    b.Bind(f.TessBeginPolygon, "gluTessBeginPolygon");
    b.Bind(f.TessBeginContour, "gluTessBeginContour");
    b.Bind(f.TessVertex, "gluTessVertex");
    b.Bind(f.TessEndContour, "gluTessEndContour");
    b.Bind(f.TessEndPolygon, "gluTessEndPolygon");
    return b.AllFound();
}

// Both libraries with their tables; the libraries close when it goes.
struct OpenGLBinding {
    OpenGLBinding(const std::string& glLibrary, const std::string& gluLibrary)
        : GLLibrary(glLibrary), GLULibrary(gluLibrary) {}

    bool Bind() {
        return GLLibrary.IsOpen() && GLULibrary.IsOpen() && BindGL(GLLibrary, GLTable) &&
               BindGLU(GLULibrary, GLUTable);
    }

    SharedLibrary GLLibrary;
    SharedLibrary GLULibrary;
    gl::GLFunctions GLTable;
    gl::GLUFunctions GLUTable;
};

std::unique_ptr<OpenGLBinding> TryBind(const std::string& glLibrary, const std::string& gluLibrary) {
    auto binding = std::make_unique<OpenGLBinding>(glLibrary, gluLibrary);
    if (!binding->Bind())
        return nullptr; // closes whichever library did open
    return binding;
}

// The program's binding, released at program end.
std::unique_ptr<OpenGLBinding>& ProgramBinding() {
    static std::unique_ptr<OpenGLBinding> binding;
    return binding;
}

} // namespace

bool LoadOpenGLBinding() {
    auto& binding = ProgramBinding();
    if (binding == nullptr)
        binding = TryBind(OpenGLLibraryName, GLULibraryName);
    return binding != nullptr;
}

bool CanBindOpenGL(const std::string& glLibrary, const std::string& gluLibrary) {
    return TryBind(glLibrary, gluLibrary) != nullptr;
}

const gl::GLFunctions& GL() {
    assert(ProgramBinding() != nullptr && "the OpenGL binding is not loaded");
    return ProgramBinding()->GLTable;
}

const gl::GLUFunctions& GLU() {
    assert(ProgramBinding() != nullptr && "the OpenGL binding is not loaded");
    return ProgramBinding()->GLUTable;
}

} // namespace platform
