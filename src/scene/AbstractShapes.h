#pragma once

#include "scene/Primitive.h"

// The base of the pictures the scene builds itself: a primitive with two
// further operations, a hook that does nothing and the build of an abstract
// picture kind (3 to 22), which pictures of their own kind do not use.
class CAbstractShapes : public CPrimitive {
public:
    using CPrimitive::CPrimitive;

    virtual bool Idle() { return true; }
    virtual bool BuildShapes(int kind);

protected:
    float m_cameraFrame[45] = {};
};
