#pragma once

#include <GL/glcorearb.h>

#include "platform/GlDevice.h"

// The OpenGL 1.1 entry points under names of our own: when another header
// has brought in <GL/gl.h> first, glcorearb.h leaves their types out.
typedef void(APIENTRYP NOTARA_PFNGLDRAWELEMENTS)(GLenum mode, GLsizei count, GLenum type,
                                                 const void* indices);
typedef void(APIENTRYP NOTARA_PFNGLDRAWARRAYS)(GLenum mode, GLint first, GLsizei count);
typedef void(APIENTRYP NOTARA_PFNGLGENTEXTURES)(GLsizei n, GLuint* textures);
typedef void(APIENTRYP NOTARA_PFNGLDELETETEXTURES)(GLsizei n, const GLuint* textures);
typedef void(APIENTRYP NOTARA_PFNGLBINDTEXTURE)(GLenum target, GLuint texture);

// The OpenGL 3.3 core entry points the scene uses, fetched from the device
// once per context.
#define NOTARA_GL_FUNCTIONS(X)                                   \
    X(PFNGLGETERRORPROC, GetError)                               \
    X(PFNGLGETINTEGERVPROC, GetIntegerv)                         \
    X(PFNGLGETSTRINGPROC, GetString)                             \
    X(PFNGLENABLEPROC, Enable)                                   \
    X(PFNGLDISABLEPROC, Disable)                                 \
    X(PFNGLCULLFACEPROC, CullFace)                               \
    X(PFNGLFRONTFACEPROC, FrontFace)                             \
    X(PFNGLDEPTHMASKPROC, DepthMask)                             \
    X(PFNGLDEPTHFUNCPROC, DepthFunc)                             \
    X(PFNGLBLENDFUNCPROC, BlendFunc)                             \
    X(PFNGLPOLYGONMODEPROC, PolygonMode)                         \
    X(PFNGLVIEWPORTPROC, Viewport)                               \
    X(PFNGLCLEARCOLORPROC, ClearColor)                           \
    X(PFNGLCLEARDEPTHPROC, ClearDepth)                           \
    X(PFNGLCLEARSTENCILPROC, ClearStencil)                       \
    X(PFNGLCLEARPROC, Clear)                                     \
    X(PFNGLFLUSHPROC, Flush)                                     \
    X(PFNGLFINISHPROC, Finish)                                   \
    X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                 \
    X(PFNGLGENBUFFERSPROC, GenBuffers)                           \
    X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                     \
    X(PFNGLBINDBUFFERPROC, BindBuffer)                           \
    X(PFNGLBUFFERDATAPROC, BufferData)                           \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                     \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                 \
    X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)           \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                 \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray) \
    X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)         \
    X(NOTARA_PFNGLDRAWELEMENTS, DrawElements)                    \
    X(PFNGLMULTIDRAWELEMENTSPROC, MultiDrawElements)             \
    X(NOTARA_PFNGLDRAWARRAYS, DrawArrays)                        \
    X(PFNGLCREATESHADERPROC, CreateShader)                       \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                       \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                     \
    X(PFNGLGETSHADERIVPROC, GetShaderiv)                         \
    X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)               \
    X(PFNGLDELETESHADERPROC, DeleteShader)                       \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                     \
    X(PFNGLATTACHSHADERPROC, AttachShader)                       \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                         \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                       \
    X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)             \
    X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                     \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                           \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)           \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                             \
    X(PFNGLUNIFORM1FPROC, Uniform1f)                             \
    X(PFNGLUNIFORM1IVPROC, Uniform1iv)                           \
    X(PFNGLUNIFORM2FPROC, Uniform2f)                             \
    X(PFNGLUNIFORM3FVPROC, Uniform3fv)                           \
    X(PFNGLUNIFORM4FVPROC, Uniform4fv)                           \
    X(PFNGLUNIFORMMATRIX3FVPROC, UniformMatrix3fv)               \
    X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)               \
    X(NOTARA_PFNGLGENTEXTURES, GenTextures)                      \
    X(NOTARA_PFNGLDELETETEXTURES, DeleteTextures)                \
    X(NOTARA_PFNGLBINDTEXTURE, BindTexture)                      \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                     \
    X(PFNGLTEXIMAGE2DPROC, TexImage2D)                           \
    X(PFNGLTEXPARAMETERIPROC, TexParameteri)                     \
    X(PFNGLPIXELSTOREIPROC, PixelStorei)                         \
    X(PFNGLGENERATEMIPMAPPROC, GenerateMipmap)

// One table of entry points; null members until Load succeeds.
class CGlApi {
public:
#define NOTARA_GL_MEMBER(type, name) type name = nullptr;
    NOTARA_GL_FUNCTIONS(NOTARA_GL_MEMBER)
#undef NOTARA_GL_MEMBER

    // Fetches every entry point; on failure missing names the first absent one.
    bool Load(IGlDevice& device, const char*& missing);
    bool IsLoaded() const {
        return GetError != nullptr;
    }
};
