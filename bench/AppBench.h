#pragma once

// What the benchmarks of the whole application share: data folders of the
// run alone, a tap that times the first sounding frame, waiting on the
// event loop, and percentiles.
#include <QApplication>
#include <QElapsedTimer>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "foundation/Paths.h"
#include "platform/AudioOut.h"

namespace fs = std::filesystem;

// The application's data folders of this run alone, below a fresh temporary
// folder: the shipped lessons linked in, the rendered samples hard-linked (or
// copied) into its Sound folder, the settings in a config folder of its own.
class CBenchFolders {
public:
    CBenchFolders() {
        std::string name = (fs::temp_directory_path() / "notara-appbench-XXXXXX").string();
        if (mkdtemp(name.data()) != nullptr) {
            m_root = name;
        }
    }
    ~CBenchFolders() {
        SetProgramFolder(nullptr);
        std::error_code ignored;
        if (!m_root.empty()) {
            fs::remove_all(m_root, ignored);
        }
    }
    CBenchFolders(const CBenchFolders&) = delete;
    CBenchFolders& operator=(const CBenchFolders&) = delete;

    bool Make(const std::string& samples, std::string& error) {
        if (m_root.empty()) {
            error = "Can't make a temporary folder";
            return false;
        }
        std::error_code failure;
        fs::create_directory_symlink(NOTARA_BINARY_DIR "/Tutorials", m_root / "Tutorials", failure);
        const fs::path sound = m_root / "Sound";
        fs::copy(samples, sound, fs::copy_options::recursive | fs::copy_options::create_hard_links,
                 failure);
        if (failure) {
            fs::remove_all(sound, failure);
            fs::copy(samples, sound, fs::copy_options::recursive, failure);
        }
        if (failure || !fs::exists(sound / "Piano")) {
            error = "Can't put the samples of " + samples + " into " + sound.string() +
                    (failure ? ": " + failure.message() : "");
            return false;
        }
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        SetProgramFolder(m_root.c_str());
        return true;
    }

private:
    fs::path m_root;
};

// Takes the platform clock of the first frame that is not silent after it
// is armed, then disarms; atomics only, as the device thread calls it.
class CFirstSoundTap : public IAudioTap {
public:
    explicit CFirstSoundTap(int rate) : m_rate(rate) {}

    void Arm() {
        m_seconds.store(0.0, std::memory_order_relaxed);
        m_heard.store(false, std::memory_order_relaxed);
        m_armed.store(true, std::memory_order_release);
    }
    void Disarm() { m_armed.store(false, std::memory_order_release); }
    bool IsHeard() const { return m_heard.load(std::memory_order_acquire); }
    double GetSeconds() const { return m_seconds.load(std::memory_order_relaxed); }

    void OnBlock(const int16_t* values, int frames, double seconds) override {
        if (!m_armed.load(std::memory_order_acquire)) {
            return;
        }
        for (int i = 0; i < 2 * frames; ++i) {
            if (values[i] != 0) {
                // seconds is taken when the block has been mixed, at its
                // first frame's turn on the device.
                m_seconds.store(seconds + static_cast<double>(i / 2) / m_rate,
                                std::memory_order_relaxed);
                m_armed.store(false, std::memory_order_relaxed);
                m_heard.store(true, std::memory_order_release);
                return;
            }
        }
    }

private:
    const int m_rate;
    std::atomic<bool> m_armed{false};
    std::atomic<bool> m_heard{false};
    std::atomic<double> m_seconds{0.0};
};

inline bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

struct PERCENTILES {
    double median = 0.0;
    double p99 = 0.0;
    double max = 0.0;
};

inline PERCENTILES Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2],
            values[std::min(values.size() - 1, values.size() * 99 / 100)], values.back()};
}

inline void Print(const char* what, const PERCENTILES& ms) {
    std::printf("  %-34s median %7.3f ms   p99 %7.3f ms   max %7.3f ms\n", what, ms.median, ms.p99,
                ms.max);
}
