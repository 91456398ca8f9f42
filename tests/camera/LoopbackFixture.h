#pragma once

#include "ColourBars.h"
#include "RecordingLog.h"
#include "fakev4l2/FakeNode.h"
#include "support/TempDir.h"

#include "camera_extension/DeviceLog.h"
#include "camera_extension/v4l2/V4L2LoopbackOutput.h"
#include "shared/FrameHandoff.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

// The v4l2loopback tests run against fake device nodes (fakev4l2/FakeVideoNodes.cpp, linked into
// this executable, answers for the paths a test lists and passes everything else through).

class LoopbackFixture : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("VELARION_FAKE_V4L2_NODES"); }

    std::string directory() const { return m_dir.path().toStdString(); }

    // A file at `name` in the test's folder, listed by a scan like a device node.
    std::string nodePath(const std::string& name) {
        const std::string path = directory() + "/" + name;
        std::ofstream(path).flush();
        return path;
    }

    std::shared_ptr<CameraBuffer> barsFrame() {
        m_pixels = ColourBars::bgraFrame();
        return std::make_shared<CameraBuffer>(
            CameraBuffer{m_pixels.data(), ColourBars::kWidth, ColourBars::kHeight,
                         ColourBars::kWidth * 4, FrameHandoff::kPixelFormatBGRA});
    }

    V4L2LoopbackOutput::Callbacks countingCallbacks() {
        return {[this] { ++m_started; },
                [this] {
                    ++m_stopped;
                }};
    }

    TempDir m_dir;
    RecordingLog m_log;
    std::vector<std::uint8_t> m_pixels;
    int m_started = 0;
    int m_stopped = 0;
};
