#pragma once

#include <QObject>
#include <QVariantMap>

class Alerts;
class Tests;
class Utils;

// What the Alerts tab's controls ask: a sound file per slot (chosen, heard, tested, cleared)
// and the voice of spoken alerts.
class AlertsTab : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString soundDialogTitle READ soundDialogTitle NOTIFY soundDialogRequested)
    // Each slot's file by the slot's name, as its row shows it.
    Q_PROPERTY(QVariantMap soundFiles READ soundFiles NOTIFY soundFilesChanged)
public:
    AlertsTab(Utils &utils, Alerts &alerts, Tests &tests);

    QString soundDialogTitle() const { return m_soundDialogTitle; }
    QVariantMap soundFiles() const;

    Q_INVOKABLE void openSoundFileDialog(const QString &type);
    Q_INVOKABLE void soundFileChosen(const QString &url);
    Q_INVOKABLE void removeSound(const QString &type);
    Q_INVOKABLE void playSound(const QString &type);
    Q_INVOKABLE void fullTest(const QString &type);
    Q_INVOKABLE void voiceChosen(int index);

signals:
    // The view opens the file dialog with the new title.
    void soundDialogRequested();
    void soundFilesChanged();

private:
    void setSoundFile(const QString &type, const QString &url);

    Utils &m_utils;
    Alerts &m_alerts;
    Tests &m_tests;
    QString m_soundDialogTitle;
    QString m_soundDialogType;
};
