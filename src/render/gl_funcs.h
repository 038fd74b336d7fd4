#pragma once
// OpenGL 3.3 core entry points, loaded through SDL_GL_GetProcAddress (the program
// never links libGL). One table per device; no global state.
#include <string>

// Prototypes are declared only to name the function types (decltype); nothing links them.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <SDL2/SDL_opengl.h>

namespace qel {

#define QEL_GL_FUNCS(X)                                                              \
  X(PFNGLGETERRORPROC, GetError, glGetError)                                         \
  X(PFNGLGETSTRINGPROC, GetString, glGetString)                                      \
  X(PFNGLGETINTEGERVPROC, GetIntegerv, glGetIntegerv)                                \
  X(PFNGLENABLEPROC, Enable, glEnable)                                               \
  X(PFNGLDISABLEPROC, Disable, glDisable)                                            \
  X(PFNGLVIEWPORTPROC, Viewport, glViewport)                                         \
  X(PFNGLSCISSORPROC, Scissor, glScissor)                                            \
  X(PFNGLCLEARCOLORPROC, ClearColor, glClearColor)                                   \
  X(PFNGLCLEARPROC, Clear, glClear)                                                  \
  X(PFNGLFINISHPROC, Finish, glFinish)                                               \
  X(PFNGLFLUSHPROC, Flush, glFlush)                                                  \
  X(PFNGLREADPIXELSPROC, ReadPixels, glReadPixels)                                   \
  X(PFNGLPIXELSTOREIPROC, PixelStorei, glPixelStorei)                                \
  X(PFNGLBLENDFUNCPROC, BlendFunc, glBlendFunc)                                      \
  X(PFNGLBLENDEQUATIONPROC, BlendEquation, glBlendEquation)                          \
  X(PFNGLGENTEXTURESPROC, GenTextures, glGenTextures)                                \
  X(PFNGLDELETETEXTURESPROC, DeleteTextures, glDeleteTextures)                       \
  X(PFNGLBINDTEXTUREPROC, BindTexture, glBindTexture)                                \
  X(PFNGLTEXIMAGE2DPROC, TexImage2D, glTexImage2D)                                   \
  X(PFNGLTEXSUBIMAGE2DPROC, TexSubImage2D, glTexSubImage2D)                          \
  X(PFNGLTEXPARAMETERIPROC, TexParameteri, glTexParameteri)                          \
  X(PFNGLACTIVETEXTUREPROC, ActiveTexture, glActiveTexture)                          \
  X(PFNGLGENERATEMIPMAPPROC, GenerateMipmap, glGenerateMipmap)                       \
  X(PFNGLGENBUFFERSPROC, GenBuffers, glGenBuffers)                                   \
  X(PFNGLDELETEBUFFERSPROC, DeleteBuffers, glDeleteBuffers)                          \
  X(PFNGLBINDBUFFERPROC, BindBuffer, glBindBuffer)                                   \
  X(PFNGLBUFFERDATAPROC, BufferData, glBufferData)                                   \
  X(PFNGLBUFFERSUBDATAPROC, BufferSubData, glBufferSubData)                          \
  X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays, glGenVertexArrays)                    \
  X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays, glDeleteVertexArrays)           \
  X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray, glBindVertexArray)                    \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray, glEnableVertexAttribArray) \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer, glVertexAttribPointer)        \
  X(PFNGLDRAWARRAYSPROC, DrawArrays, glDrawArrays)                                   \
  X(PFNGLDRAWELEMENTSPROC, DrawElements, glDrawElements)                             \
  X(PFNGLCREATESHADERPROC, CreateShader, glCreateShader)                             \
  X(PFNGLSHADERSOURCEPROC, ShaderSource, glShaderSource)                             \
  X(PFNGLCOMPILESHADERPROC, CompileShader, glCompileShader)                          \
  X(PFNGLGETSHADERIVPROC, GetShaderiv, glGetShaderiv)                                \
  X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog, glGetShaderInfoLog)                 \
  X(PFNGLDELETESHADERPROC, DeleteShader, glDeleteShader)                             \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram, glCreateProgram)                          \
  X(PFNGLATTACHSHADERPROC, AttachShader, glAttachShader)                             \
  X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation, glBindAttribLocation)           \
  X(PFNGLLINKPROGRAMPROC, LinkProgram, glLinkProgram)                                \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv, glGetProgramiv)                             \
  X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog, glGetProgramInfoLog)              \
  X(PFNGLDELETEPROGRAMPROC, DeleteProgram, glDeleteProgram)                          \
  X(PFNGLUSEPROGRAMPROC, UseProgram, glUseProgram)                                   \
  X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation, glGetUniformLocation)           \
  X(PFNGLUNIFORM1IPROC, Uniform1i, glUniform1i)                                      \
  X(PFNGLUNIFORM1FPROC, Uniform1f, glUniform1f)                                      \
  X(PFNGLUNIFORM2FPROC, Uniform2f, glUniform2f)                                      \
  X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers, glGenFramebuffers)                    \
  X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers, glDeleteFramebuffers)           \
  X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer, glBindFramebuffer)                    \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer, glFramebufferRenderbuffer) \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus, glCheckFramebufferStatus) \
  X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers, glGenRenderbuffers)                 \
  X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers, glDeleteRenderbuffers)        \
  X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer, glBindRenderbuffer)                 \
  X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage, glRenderbufferStorage)        \
  X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer, glBlitFramebuffer)                    \
  X(PFNGLGENSAMPLERSPROC, GenSamplers, glGenSamplers)                                \
  X(PFNGLDELETESAMPLERSPROC, DeleteSamplers, glDeleteSamplers)                       \
  X(PFNGLBINDSAMPLERPROC, BindSampler, glBindSampler)                                \
  X(PFNGLSAMPLERPARAMETERIPROC, SamplerParameteri, glSamplerParameteri)

struct GlFuncs {
#define QEL_GL_MEMBER(type, name, sym) decltype(&::sym) name = nullptr;
  QEL_GL_FUNCS(QEL_GL_MEMBER)
#undef QEL_GL_MEMBER
  // Loads every entry point of the current context; false when one is missing.
  bool Load(const char** missing = nullptr);
};

// Compiles and links a vertex + fragment shader pair; 0 on failure (message in log).
GLuint BuildProgram(const GlFuncs& gl, const char* vs, const char* fs, const char* const* attribs, int attribCount,
                    std::string* log = nullptr);

}  // namespace qel
