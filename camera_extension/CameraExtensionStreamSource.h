#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CameraExtensionDeviceSource;

// The one output stream "Velarion.Video": one format, 1920 × 1080 'BGRA' at 1/30 s. Start and stop
// from a client go to the device source; every call reports success.
class CameraExtensionStreamSource {
public:
    struct StreamFormat {
        std::uint32_t codecType;
        int width;
        int height;
        int minFrameDurationValue, minFrameDurationTimescale;
        int maxFrameDurationValue, maxFrameDurationTimescale;
    };
    struct FrameDuration {
        int value;
        int timescale;
        bool operator==(const FrameDuration&) const = default;
    };
    enum class StreamProperty { activeFormatIndex, frameDuration };
    struct StreamProperties {
        std::optional<int> activeFormatIndex;
        std::optional<FrameDuration> frameDuration;
    };

    CameraExtensionStreamSource(const std::string& localizedName, const std::string& identifier,
                                const StreamFormat& format, CameraExtensionDeviceSource& device);

    const std::string& localizedName() const { return m_localizedName; }
    const std::string& identifier() const { return m_identifier; }
    std::vector<StreamFormat> formats() const { return {m_streamFormat}; }
    int activeFormatIndex() const { return m_activeFormatIndex; }

    std::set<StreamProperty> availableProperties() const;
    StreamProperties streamProperties(const std::set<StreamProperty>& properties) const;
    bool setStreamProperties(const StreamProperties& properties);

    bool authorizedToStartStream() const { return true; }
    bool startStream();
    bool stopStream();

private:
    std::string m_localizedName;
    std::string m_identifier;
    StreamFormat m_streamFormat;
    CameraExtensionDeviceSource& m_device;
    int m_activeFormatIndex = 0;
};
