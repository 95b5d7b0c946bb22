#include "alerts/soundrouting.h"

#include "alerts/alertplayer.h"
#include "alerts/soundoutputs.h"
#include "settings/settingstable.h"
#include "settings/utils.h"
#include "shell/botlogger.h"

#include <QVariantMap>

SoundRouting::SoundRouting(Utils &utils, BotLogger &logger, SoundOutputs &outputs,
                           AlertPlayer &player)
    : m_utils(utils)
    , m_logger(logger)
    , m_outputs(outputs)
    , m_player(player) {
    connect(&m_outputs, &SoundOutputs::changed, this, &SoundRouting::outputsMoved);
}

QString SoundRouting::chosen(Use use) const {
    return m_utils.text(use == Use::Alerts ? key::alertOutput : key::chatSpeechOutput);
}

bool SoundRouting::present(const QString &name) const {
    const QList<SoundOutput> outputs = m_outputs.outputs();
    return std::any_of(outputs.begin(), outputs.end(),
                       [&name](const SoundOutput &output) { return output.name == name; });
}

QString SoundRouting::outputFor(Use use) const {
    const QString name = chosen(use);
    if (name.isEmpty() || m_outputs.server() != SoundOutputs::Server::Running)
        return {};
    return present(name) ? name : kDefaultOutput;
}

void SoundRouting::use(Use use) {
    m_use = use;
    m_player.setOutput(outputFor(use));
}

// What plays moves at once: off an output that went, back onto one that came again.
void SoundRouting::outputsMoved() {
    for (const SoundOutput &output : m_outputs.outputs()) {
        m_descriptions.insert(output.name, output.description);
        m_lostSaid.remove(output.name);
    }
    m_player.setOutput(outputFor(m_use));
    sayLost();
    emit outputsChanged();
}

void SoundRouting::sayLost() {
    const bool missing = m_outputs.server() == SoundOutputs::Server::Missing;
    if (m_outputs.server() == SoundOutputs::Server::Running)
        m_missingSaid = false;
    for (const Use use : {Use::Alerts, Use::ChatSpeech}) {
        const QString name = chosen(use);
        if (name.isEmpty())
            continue;
        if (missing && !std::exchange(m_missingSaid, true))
            say(QStringLiteral("Звуковой сервер не отвечает, звук идёт как в системе"));
        if (outputFor(use) == kDefaultOutput && !m_lostSaid.contains(name)) {
            m_lostSaid.insert(name);
            say(QStringLiteral("Устройство «%1» пропало, звук идёт в системное")
                    .arg(m_descriptions.value(name, name)));
        }
    }
}

void SoundRouting::say(const QString &text) {
    m_logger.log(text, QStringLiteral("error"));
    emit status(text);
}

QVariantList SoundRouting::outputRows() const {
    const auto row = [](const QString &name, const QString &text) {
        return QVariantMap{{QStringLiteral("name"), name}, {QStringLiteral("text"), text}};
    };
    QVariantList rows{row({}, QStringLiteral("Как в системе"))};
    for (const SoundOutput &output : m_outputs.outputs())
        rows << row(output.name, output.description);
    for (const Use use : {Use::Alerts, Use::ChatSpeech}) {
        const QString name = chosen(use);
        if (name.isEmpty() || present(name))
            continue;
        const QVariantMap gone =
            row(name, m_descriptions.value(name, name) + QStringLiteral(" (нет)"));
        if (!rows.contains(gone))
            rows << gone;
    }
    return rows;
}
