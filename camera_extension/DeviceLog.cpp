#include "camera_extension/DeviceLog.h"

#include "camera_extension/CameraIdentity.h"

#include <cstdio>
#include <mutex>

#include <syslog.h>

void DeviceLog::info(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    writeFormatted(Level::info, format, arguments);
    va_end(arguments);
}

void DeviceLog::error(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    writeFormatted(Level::error, format, arguments);
    va_end(arguments);
}

void DeviceLog::writeFormatted(Level level, const char* format, va_list arguments) {
    char buffer[1024];
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    write(level, buffer);
}

SyslogDeviceLog::SyslogDeviceLog(bool alsoToStandardError)
    : m_alsoToStandardError(alsoToStandardError) {
    ::openlog(CameraIdentity::kSubsystem, LOG_PID, LOG_USER);
}

SyslogDeviceLog::~SyslogDeviceLog() {
    ::closelog();
}

void SyslogDeviceLog::write(Level level, const std::string& line) {
    const int priority = level == Level::error ? LOG_ERR : LOG_INFO;
    ::syslog(priority, "[%s] %s", CameraIdentity::kCategory, line.c_str());
    if (m_alsoToStandardError) {
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        std::fprintf(stderr, "%s [%s] %s\n", CameraIdentity::kSubsystem, CameraIdentity::kCategory,
                     line.c_str());
    }
}
