#pragma once

#include "ColourBars.h"
#include "RecordingLog.h"
#include "fakev4l2/FakeNode.h"
#include "support/TempDir.h"

#include "camera_extension/v4l2/V4L2LoopbackOutput.h"
#include "shared/FrameHandoff.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

// The v4l2loopback unit tests run against fake device nodes (fakev4l2/FakeVideoNodes.cpp, linked
// into this executable), which answer for the paths a test installs and pass the rest through.
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
    FakeNode node(const std::string& name, const std::string& options = "") {
        return FakeNode(nodePath(name), options);
    }

    std::shared_ptr<CameraBuffer> frameOf(std::vector<std::uint8_t> pixels) {
        m_pixels = std::move(pixels);
        return std::make_shared<CameraBuffer>(
            CameraBuffer{m_pixels.data(), ColourBars::kWidth, ColourBars::kHeight,
                         ColourBars::kWidth * 4, FrameHandoff::kPixelFormatBGRA});
    }
    std::shared_ptr<CameraBuffer> barsFrame() { return frameOf(ColourBars::bgraFrame()); }

    TempDir m_dir;
    RecordingLog m_log;
    std::vector<std::uint8_t> m_pixels;
    int m_started = 0;
    int m_stopped = 0;
    V4L2LoopbackOutput m_output{m_log,
                                {[this] { ++m_started; },
                                 [this] {
                                     ++m_stopped;
                                 }}};
};
