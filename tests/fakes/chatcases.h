#pragma once

#include "fakes/chatrig.h"

#include <QFile>
#include <QtTest>

// One case of a fixture of wire input and what Kestro must make of it.
struct ChatCase {
    QStringList input, sink, chat, event, error, debug, calls, alerts;
};
Q_DECLARE_METATYPE(ChatCase)

// Reads a fixture, one case per "==" heading: "<<" feeds an input line, the other keys list
// the expected events of the protocol, chat, event, error and debug log lines, other page calls and
// queued alerts.
inline QList<QPair<QString, ChatCase>> readChatCases(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QList<QPair<QString, ChatCase>> cases;
    for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        line.replace(QStringLiteral("\\x01"), QStringLiteral("\x01"));
        if (line.startsWith(QStringLiteral("== "))) {
            cases.append({line.mid(3), ChatCase{}});
            continue;
        }
        if (cases.isEmpty() || line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        ChatCase &current = cases.last().second;
        const QString key = line.section(QLatin1Char(' '), 0, 0);
        const QString value = line.mid(key.size() + 1);
        QStringList *target = key == "<<"      ? &current.input
                              : key == "sink"  ? &current.sink
                              : key == "chat"  ? &current.chat
                              : key == "event" ? &current.event
                              : key == "error" ? &current.error
                              : key == "debug" ? &current.debug
                              : key == "call"  ? &current.calls
                                               : &current.alerts;
        target->append(value);
    }
    return cases;
}

inline void addChatCases(const char *path) {
    QTest::addColumn<ChatCase>("expected");
    for (const auto &[name, expected] : readChatCases(QString::fromUtf8(path)))
        QTest::newRow(qPrintable(name)) << expected;
}

// "service type level text", with "-" for what the record leaves out, and the voice message
// it carries.
inline QString describeAlert(const AlertRecord &record) {
    return record.service + ' ' + record.type + ' ' +
           (record.level ? QString::number(*record.level) : QStringLiteral("-")) + ' ' +
           record.text.value_or(QStringLiteral("-")) +
           (record.mail && !record.mail->isNull() ? QStringLiteral(" mail ") + *record.mail
                                                  : QString());
}

// Compares what the rig's pages, logs and queue received with the case; every input line
// must also be in the raw log behind the prefix.
inline void verifyChatCase(const ChatRig &rig, const ChatCase &expected, const QString &rawPrefix) {
    QCOMPARE(rig.sink.events, expected.sink);
    QCOMPARE(rig.log("chat"), expected.chat);
    QCOMPARE(rig.log("event"), expected.event);
    QCOMPARE(rig.log("error"), expected.error);
    QCOMPARE(rig.log("debug"), expected.debug);
    QCOMPARE(rig.chatCalls(), expected.calls);
    QStringList alerts;
    for (const AlertRecord &record : rig.alerts.QUEUE())
        alerts << describeAlert(record);
    QCOMPARE(alerts, expected.alerts);
    QStringList raw;
    for (const QString &line : expected.input)
        raw << rawPrefix + line;
    QCOMPARE(rig.log("raw"), raw);
}
