#include "ui/controllers/UpdateAvailability.h"

#include "update/UpdateChecker.h"

UpdateAvailability::UpdateAvailability(UpdateChecker& checker, QObject* parent)
    : QObject(parent)
    , m_checker(checker) {
    connect(&m_checker, &UpdateChecker::statusChanged, this, &UpdateAvailability::changed);
}

bool UpdateAvailability::isAvailable() const {
    return m_checker.status().kind == UpdateChecker::Status::Kind::available;
}

QString UpdateAvailability::version() const {
    return isAvailable() ? m_checker.status().version : QString();
}
