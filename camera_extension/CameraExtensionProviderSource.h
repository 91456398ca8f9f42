#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

class CameraExtensionDeviceSource;

// The provider: owns the one device source and answers the provider's own properties. Every
// client is accepted.
class CameraExtensionProviderSource {
public:
    enum class ProviderProperty { manufacturer };
    struct ProviderProperties {
        std::optional<std::string> manufacturer;
    };

    explicit CameraExtensionProviderSource(std::unique_ptr<CameraExtensionDeviceSource> device);
    ~CameraExtensionProviderSource();

    CameraExtensionDeviceSource& deviceSource() { return *m_deviceSource; }

    bool connectClient() { return true; }
    void disconnectClient() {}
    std::set<ProviderProperty> availableProperties() const {
        return {ProviderProperty::manufacturer};
    }
    ProviderProperties providerProperties(const std::set<ProviderProperty>& properties) const;
    bool setProviderProperties(const ProviderProperties&) { return true; }

private:
    std::unique_ptr<CameraExtensionDeviceSource> m_deviceSource;
};
