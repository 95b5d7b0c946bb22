#pragma once

#include "alerts/soundoutputs.h"

// A sound server whose outputs a test sets.
class FakeOutputs final : public SoundOutputs {
public:
    Server server() const override { return m_server; }
    QList<SoundOutput> outputs() const override { return m_outputs; }

    void set(Server server, const QList<SoundOutput> &outputs = {}) {
        m_server = server;
        m_outputs = outputs;
        emit changed();
    }

private:
    Server m_server = Server::Asking;
    QList<SoundOutput> m_outputs;
};
