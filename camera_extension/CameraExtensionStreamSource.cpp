#include "camera_extension/CameraExtensionStreamSource.h"

#include "camera_extension/CameraExtensionDeviceSource.h"

CameraExtensionStreamSource::CameraExtensionStreamSource(const std::string& localizedName,
                                                         const std::string& identifier,
                                                         const StreamFormat& format,
                                                         CameraExtensionDeviceSource& device)
    : m_localizedName(localizedName)
    , m_identifier(identifier)
    , m_streamFormat(format)
    , m_device(device) {}

std::set<CameraExtensionStreamSource::StreamProperty>
CameraExtensionStreamSource::availableProperties() const {
    return {StreamProperty::activeFormatIndex, StreamProperty::frameDuration};
}

CameraExtensionStreamSource::StreamProperties CameraExtensionStreamSource::streamProperties(
    const std::set<StreamProperty>& properties) const {
    StreamProperties answer;
    if (properties.count(StreamProperty::activeFormatIndex)) {
        answer.activeFormatIndex = 0;  // there is only one format
    }
    if (properties.count(StreamProperty::frameDuration)) {
        answer.frameDuration = FrameDuration{1, 30};
    }
    return answer;
}

bool CameraExtensionStreamSource::setStreamProperties(const StreamProperties& properties) {
    if (properties.activeFormatIndex) {
        m_activeFormatIndex = *properties.activeFormatIndex;
    }
    return true;
}

bool CameraExtensionStreamSource::startStream() {
    m_device.startStreaming();
    return true;
}

bool CameraExtensionStreamSource::stopStream() {
    m_device.stopStreaming();
    return true;
}
