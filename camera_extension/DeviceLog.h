#pragma once

#include <cstdarg>
#include <string>

// The daemon's log: subsystem "com.orvandel.Velarion.CameraExtension", category "Device". Lines
// are printf-formatted; thread-safe.
class DeviceLog {
public:
    enum class Level { info, error };

    virtual ~DeviceLog() = default;
    virtual void write(Level level, const std::string& line) = 0;

    void info(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void error(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    void writeFormatted(Level level, const char* format, va_list arguments);
};

// To syslog (journald picks it up with the subsystem as identifier), and to standard error too
// when running in the foreground.
class SyslogDeviceLog final : public DeviceLog {
public:
    explicit SyslogDeviceLog(bool alsoToStandardError);
    ~SyslogDeviceLog() override;
    void write(Level level, const std::string& line) override;

private:
    bool m_alsoToStandardError;
};
