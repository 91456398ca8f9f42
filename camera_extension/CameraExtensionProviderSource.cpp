#include "camera_extension/CameraExtensionProviderSource.h"

#include "camera_extension/CameraExtensionDeviceSource.h"
#include "camera_extension/CameraIdentity.h"

CameraExtensionProviderSource::CameraExtensionProviderSource(
    std::unique_ptr<CameraExtensionDeviceSource> device)
    : m_deviceSource(std::move(device)) {}

CameraExtensionProviderSource::~CameraExtensionProviderSource() = default;

CameraExtensionProviderSource::ProviderProperties CameraExtensionProviderSource::providerProperties(
    const std::set<ProviderProperty>& properties) const {
    ProviderProperties answer;
    if (properties.count(ProviderProperty::manufacturer)) {
        answer.manufacturer = CameraIdentity::kManufacturer;
    }
    return answer;
}
