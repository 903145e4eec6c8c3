#include "scene/TextLabels.h"

#include <algorithm>
#include <cmath>

#include "scene/Direct3D.h"
#include "scene/Primitive.h"
#include "scene/TextureGenerator.h"
#include "scene/VertexBuffer.h"

CTextLabels::CTextLabels(CDirect3D* device) : m_device(device) {}

CTextLabels::~CTextLabels() {
    if (m_device != nullptr && m_texture != 0) {
        m_device->DeleteTexture(m_texture);
    }
}

int CTextLabels::Add(const char* text) {
    const std::string value = text != nullptr ? text : "";
    for (size_t i = 0; i < m_labels.size(); ++i) {
        if (m_labels[i].text == value) {
            return static_cast<int>(i);
        }
    }
    LABEL label;
    label.text = value;
    m_labels.push_back(label);
    return static_cast<int>(m_labels.size()) - 1;
}

bool CTextLabels::Paint(const char* face, int pixelHeight) {
    CTextureGenerator generator(m_device);
    constexpr int kWidth = 1024;
    const int cell = pixelHeight + pixelHeight / 2;
    // Lay the labels out in rows, measured with a first painter.
    std::unique_ptr<IImagePainter> measure = m_device != nullptr && m_device->GetDevice() != nullptr
                                                 ? m_device->GetDevice()->CreateImagePainter()
                                                 : nullptr;
    if (measure == nullptr) {
        m_error = "Can't paint labels: no painter";
        return false;
    }
    std::vector<glm::vec2> places;
    std::vector<float> widths;
    float x = 0, y = 0;
    for (const LABEL& label : m_labels) {
        const float width =
            std::ceil(measure->MeasureText(face, pixelHeight, label.text.c_str())) + 4;
        if (x + width > kWidth) {
            x = 0;
            y += cell;
        }
        places.emplace_back(x, y);
        widths.push_back(width);
        x += width;
    }
    int height = 1;
    while (height < static_cast<int>(y) + cell) {
        height *= 2;
    }
    if (!generator.Begin(kWidth, height)) {
        m_error = generator.GetError();
        return false;
    }
    for (size_t i = 0; i < m_labels.size(); ++i) {
        LABEL& label = m_labels[i];
        const glm::vec2 at = places[i];
        generator.GetPainter()->DrawText(face, pixelHeight, at.x + 2, at.y + pixelHeight,
                                         label.text.c_str(), 0xFFFFFFFF);
        label.u0 = at.x / kWidth;
        label.u1 = (at.x + widths[i]) / kWidth;
        label.v0 = at.y / height;
        label.v1 = (at.y + cell) / height;
        label.aspect = widths[i] / cell;
    }
    m_texture = generator.End();
    if (m_texture == 0) {
        m_error = generator.GetError();
        return false;
    }
    return true;
}

std::unique_ptr<CPrimitive> CTextLabels::MakeLabel(const char* name, CVertexBuffer* buffer,
                                                   int index, const glm::vec3& center, float height,
                                                   uint32_t argb) {
    if (m_texture == 0 || index < 0 || index >= static_cast<int>(m_labels.size())) {
        return nullptr;
    }
    const LABEL& label = m_labels[index];
    auto quad = std::make_unique<CPrimitive>(name, m_device, buffer);
    glm::mat4 frame(1.0f);
    frame[3] = glm::vec4(center, 1.0f);
    quad->SetFrame(frame);
    const float w = height * label.aspect / 2;
    const float h = height / 2;
    VERTEX corners[4];
    const float xs[4] = {-w, w, w, -w};
    const float ys[4] = {h, h, -h, -h};
    const float us[4] = {label.u0, label.u1, label.u1, label.u0};
    const float vs[4] = {label.v0, label.v0, label.v1, label.v1};
    for (int i = 0; i < 4; ++i) {
        corners[i].x = center.x + xs[i];
        corners[i].y = center.y + ys[i];
        corners[i].z = center.z;
        corners[i].nz = -1.0f;
        corners[i].diffuse = 0xFF000000;  // lit black: the text shows its own colour
        corners[i].specular = argb;
        corners[i].u = us[i];
        corners[i].v = vs[i];
    }
    quad->BeginGeometry();
    buffer->AddQuad(corners[0], corners[1], corners[2], corners[3]);
    quad->EndGeometry();
    quad->SetTexture(m_texture);
    return quad;
}
