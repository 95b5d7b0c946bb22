#include "common/clock.h"
#include "fakes/chatcases.h"
#include "fakes/goodgamerig.h"
#include "fakes/wsserver.h"

#include <QRandomGenerator>
#include <QtTest>

class TestGoodgame : public QObject {
    Q_OBJECT
private slots:
    void frames_data() { addChatCases(TEST_DATA "/goodgame-frames.txt"); }

    void frames() {
        QFETCH(ChatCase, expected);
        GoodgameRig rig;
        rig.loadSmiles(GoodgameRig::fixture("goodgame-global.js"));
        rig.goodgame.state = QStringLiteral("chat");
        for (const QString &frame : expected.input)
            rig.goodgame.processMessage(frame);
        verifyChatCase(rig, expected, QStringLiteral("Goodgame >> "));
    }
};

QTEST_MAIN(TestGoodgame)
#include "tst_goodgame.moc"
