#pragma once

#include "platform/GlDevice.h"
#include "platform/ImagePainter.h"

// A GL view without a context, for runs without a display: it never becomes
// ready, so its owner makes nothing and draws nothing; frames asked for are
// only counted.
class CNullGlDevice : public IGlDevice {
public:
    void SetHandler(IGlViewHandler* handler) override { m_handler = handler; }
    bool IsReady() const override { return false; }
    GlProc GetProcAddress(const char*) override { return nullptr; }
    void MakeCurrent() override {}
    void DoneCurrent() override {}
    uint32_t GetFramebuffer() const override { return 0; }
    int GetWidth() const override { return 640; }
    int GetHeight() const override { return 400; }
    int GetSamples() const override { return 0; }
    void RequestFrame() override { ++m_frameRequests; }
    bool ReadPixels(std::vector<uint8_t>&, int&, int&) override { return false; }
    bool SetFullScreen(bool) override { return true; }
    bool MakeGlyphAtlas(const char*, int, GLYPH_ATLAS&, std::string& error) override {
        error = "no fonts without a display";
        return false;
    }

    std::unique_ptr<IImagePainter> CreateImagePainter() override { return nullptr; }

    IGlViewHandler* GetHandler() const { return m_handler; }
    int GetFrameRequests() const { return m_frameRequests; }

private:
    IGlViewHandler* m_handler = nullptr;
    int m_frameRequests = 0;
};
