#pragma once

#include <QImage>
#include <QSurfaceFormat>

#include <cstdint>
#include <vector>

#include "platform/GlDevice.h"

class QKeyEvent;

// The surface every GL device of the application asks for: OpenGL 3.3 core
// with a 24-bit depth buffer and four samples per pixel.
QSurfaceFormat NotaraGlFormat();

// Qt keys and modifiers as the scene's codes.
int SceneKeyOf(const QKeyEvent& event);
int SceneFlagsOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// The picture as RGBA bytes, top row first; false for an empty picture.
bool CopyRgba(const QImage& picture, std::vector<uint8_t>& rgba, int& width, int& height);
