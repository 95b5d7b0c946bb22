#pragma once

#include "services/rehearsal.h"

#include <QObject>

class Random;
class ServiceRegistry;

// The "Тест" buttons of the Alerts tab: the service whose sound slot it is rehearses its alert
// in its own wire format, fed through the ordinary processing and marked as a test.
class Tests : public QObject {
    Q_OBJECT
public:
    Tests(const ServiceRegistry &services, Random &random)
        : m_services(services)
        , m_draw(random) {}

    // The full test of one sound slot, by its name.
    Q_INVOKABLE void testSound(const QString &slotName);

private:
    const ServiceRegistry &m_services;
    Rehearsal m_draw;
};
