#pragma once

#include "alerts/alerts.h"
#include "alerts/soundrouting.h"
#include "alerts/speechrelay.h"
#include "chat/chat.h"
#include "fakes/fakeoutputs.h"
#include "fakes/fakeplayer.h"
#include "fakes/manualscheduler.h"
#include "fakes/recordingpage.h"
#include "fakes/recordingsink.h"
#include "fakes/settingsrig.h"
#include "net/http.h"
#include "shell/speechfile.h"

#include <QSignalSpy>
#include <QTest>
#include <QUrl>

// The chat builder with recording pages and an alert queue, for the chat services' tests.
struct ChatRig : SettingsRig {
    explicit ChatRig(const QString &settings = {},
                     const QUrl &speechRelay = QUrl(QStringLiteral("ws://127.0.0.1:9/tts")))
        : SettingsRig(settings)
        , relay(speechRelay) {
        QObject::connect(&chat, &Chat::lineShown,
                         [this](const RenderedLine &line) { shown << line; });
    }

    // The HTML of every line the chat view was given.
    QStringList chatHtml() const {
        QStringList result;
        for (const RenderedLine &line : shown)
            result << line.html;
        return result;
    }

    // Waits until every request in flight has been answered and handled.
    void settle() {
        QSignalSpy handled(&http, &Http::handled);
        while (http.inFlight() > 0)
            QVERIFY(handled.wait(5000));
    }

    // The chat view's other calls (strike, remove).
    QStringList chatCalls() const {
        QStringList result;
        for (const QString &script : chatView.scripts) {
            if (!script.contains(QStringLiteral("Kestro.addMessage(")))
                result << script.section(QStringLiteral("Kestro."), 1);
        }
        return result;
    }

    FakePlayer player;
    FakeOutputs outputs;
    SoundRouting routing{utils, logger, outputs, player};
    SpeechFile speech{dir.path()};
    SpeechRelay relay;
    RecordingPage chatView;
    RecordingPage alertView;
    Alerts alerts{
        AlertsDeps{utils, logger, speech, player, routing, relay, chatView, QStringLiteral("tok")}};
    Chat chat{chatView, alertView, logger, alerts, utils};
    QList<RenderedLine> shown; // every line of the chat view, as the presenter rendered it
    // What the chat services deliver, on its way to the presenter.
    RecordingSink sink{chat};
    // Requests' deadlines and retries wait until a test runs them.
    ManualScheduler httpScheduler;
    Http http{httpScheduler};
};
