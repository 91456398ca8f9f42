#include "capture/StreamHandler.h"

void StreamHandler::stream(CaptureStream& /*stream*/, const SampleBuffer& sampleBuffer,
                           StreamOutputType type) {
    if (type != StreamOutputType::screen || !sampleBuffer.imageBuffer || !m_onPixelBuffer) {
        return;
    }
    m_onPixelBuffer(*sampleBuffer.imageBuffer);
}
