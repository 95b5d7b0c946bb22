#pragma once

#include <QObject>

class Alerts;
class Tests;
class Utils;

// What the Alerts tab's controls ask: a sound file per slot (chosen, heard, tested, cleared)
// and the voice of spoken alerts.
class AlertsTab : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString soundDialogTitle READ soundDialogTitle NOTIFY soundDialogRequested)
public:
    AlertsTab(Utils &utils, Alerts &alerts, Tests &tests);

    QString soundDialogTitle() const { return m_soundDialogTitle; }

    Q_INVOKABLE void openSoundFileDialog(const QString &type);
    Q_INVOKABLE void soundFileChosen(const QString &url);
    Q_INVOKABLE void removeSound(const QString &type);
    Q_INVOKABLE void playSound(const QString &type);
    Q_INVOKABLE void fullTest(const QString &type);
    Q_INVOKABLE void voiceChosen(int index);

signals:
    // The view opens the file dialog with the new title.
    void soundDialogRequested();

private:
    Utils &m_utils;
    Alerts &m_alerts;
    Tests &m_tests;
    QString m_soundDialogTitle;
    QString m_soundDialogType;
};
