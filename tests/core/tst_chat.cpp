#include "alerts/alerts.h"
#include "chat/chat.h"
#include "common/plural.h"
#include "fakes/chatrig.h"
#include "fakes/recordingpage.h"

#include <QtTest>

Q_DECLARE_METATYPE(MessageParts)

namespace {
using Part = MessagePart;

Part badge(const QString &title) {
    return Part::badge(QStringLiteral("qrc:/images/Twitch.badge.png"), title);
}

Part framed(const QString &text, unsigned frames, const QString &frameColor = {}) {
    Part part = Part::textPart(text);
    part.frames = frames;
    part.frameColor = frameColor;
    return part;
}

Part nick(const QString &name, const Author &author, const QString &color = "#30d5c8") {
    Part part = Part::textPart(name, Part::Tone::Author, color);
    part.author = author;
    return part;
}

Author ggAuthor(const QString &id, const QString &premium = {}) {
    Author author;
    author.service = "goodgame";
    author.messageIds = QStringList{id};
    author.premiumChannel = premium;
    return author;
}

Part kind(Part::Kind kind, const QString &text, const QString &name = {}) {
    Part part;
    part.kind = kind;
    part.text = text;
    part.name = name;
    return part;
}

Part titled(const QString &text, const QString &title) {
    Part part = Part::textPart(text);
    part.title = title;
    return part;
}

const QString kTwitchBadge =
    QStringLiteral("<img src=\"qrc:/images/Twitch.badge.png\" class=\"badge\" title=\"%1\"> ");
} // namespace

class TestChat : public QObject {
    Q_OBJECT
private slots:
    // Every look of a line is chosen here, from what the services tell of it.
    void buildHTML_data() {
        QTest::addColumn<MessageParts>("parts");
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");

        Author crowned = ggAuthor("7");
        crowned.icon = "crown";
        crowned.tier = "gg-2";
        Part smile = Part::emote("https://static.goodgame.ru/smile.png",
                                 ":smile:", "GoodGame: smile", "goodgame");
        QTest::newRow("goodgame line")
            << MessageParts{Part::badge("qrc:/images/Goodgame.badge.png", "GoodGame"),
                            nick("Vasya", crowned), Part::textPart(": "), Part::textPart("hi "),
                            smile}
            << "<img src=\"qrc:/images/Goodgame.badge.png\" class=\"badge\" title=\"GoodGame\"> "
               "<span class=\"nick goodgame-7\"><span class=\"user_nick with-icon icon-crown "
               "type-gg-2\" style=\"color:#30d5c8;\" title=\"Ник: Vasya\">Vasya</span><span>: "
               "</span><span>hi </span><img src=\"https://static.goodgame.ru/smile.png\" "
               "class=\"emote goodgame\" title=\"GoodGame: smile\"></span>"
            << "[GoodGame] Vasya: hi :smile:";

        Author vasya;
        vasya.service = "twitch";
        vasya.login = "vasya";
        vasya.name = "Вася";
        vasya.messageIds = QStringList{"m1", "src1"};
        Part zeroWidth = Part::emote("https://7tv/x", "Hat", "7TV: Hat");
        zeroWidth.overlay = Part::Overlay::ZeroWidth;
        Part offset = Part::emote("https://bttv/y", "cvHazmat", "BTTV: cvHazmat");
        offset.overlay = Part::Overlay::Offset;
        QTest::newRow("twitch nick, reply, emote stacking and partner mark")
            << MessageParts{kind(Part::Kind::ReplyContext, "hi there", "Ann"),
                            badge("Twitch"),
                            nick("Вася", vasya, {}),
                            offset,
                            zeroWidth,
                            kind(Part::Kind::SourceMark, "655")}
            << "<span class=\"reply-context\" style=\"color:#888;\">↪ Ann: hi there </span>" +
                   kTwitchBadge.arg("Twitch") +
                   "<span class=\"nick twitch-m1 twitch-src1\"><span class=\"user_nick "
                   "twitch-nick-vasya\" style=\"color:#aaaaaa;\" title=\"User: vasya\">Вася</span>"
                   "<img src=\"https://bttv/y\" class=\"emote with-offset cvhazmat\" title=\"BTTV: "
                   "cvHazmat\"><img src=\"https://7tv/x\" class=\"emote with-offset zero-width\" "
                   "title=\"7TV: Hat\"><span class=\"source-mark\" style=\"color:#888;\" "
                   "title=\"Общий чат: канал 655\"> ⇄ 655</span></span>"
            << "↪ Ann: hi there [Twitch] ВасяcvHazmatHat ⇄ 655";

        QTest::newRow("tooltips after badges")
            << MessageParts{badge("moderator"), badge("subscriber"), Part::textPart("Nick"),
                            Part::textPart(": hi"), titled(" x", "own")}
            << kTwitchBadge.arg("moderator") + kTwitchBadge.arg("subscriber") +
                   "<span title=\"Ник: Nick\">Nick</span><span>: hi</span><span title=\"own\"> "
                   "x</span>"
            << "[Moderator] Nick: hi x";
        QTest::newRow("text only has no tooltips or label")
            << MessageParts{titled("a", "ignored"), Part::textPart(" b")}
            << "<span>a</span><span> b</span>"
            << "a b";
        QTest::newRow("frames open, change and leave bare parts in")
            << MessageParts{framed("one", Part::Highlighted | Part::FirstMessage),
                            Part::textPart("two"), framed("three", Part::Announcement, "blue"),
                            kind(Part::Kind::SourceMark, "1")}
            << "<div class=\"highlighted first-message\" title=\"Первое сообщение в "
               "чате\"><span>one</span><span>two</span></div><div class=\"announcement "
               "announcement-blue\"><span>three</span></div><span class=\"source-mark\" "
               "style=\"color:#888;\"> ⇄ 1</span>"
            << "onetwothree ⇄ 1";
        QTest::newRow("addressed closes before premium and nick")
            << MessageParts{nick("N", ggAuthor("1", "42")), framed("hey", Part::Addressed)}
            << "<span class=\"nick goodgame-1\"><span class=\"premium-icon-42\"><span "
               "class=\"user_nick\" style=\"color:#30d5c8;\">N</span>"
               "<div class=\"addressed\"><span>hey</span></div></span></span>"
            << "Nhey";
        QTest::newRow("tones and manners")
            << MessageParts{Part::textPart("a", Part::Tone::Author, "#f00", Part::Manner::Action),
                            Part::textPart("r", Part::Tone::Rank, "king"),
                            Part::textPart("u", Part::Tone::Rank, "nobody"),
                            Part::textPart("n", Part::Tone::Muted, {}, Part::Manner::Note),
                            Part::textPart("+", Part::Tone::ModeOn),
                            Part::textPart("-", Part::Tone::ModeOff, {}, Part::Manner::Emphatic)}
            << "<span style=\"color:#f00;font-style:italic;\">a</span><span "
               "style=\"color:#30d5c8;\">r</span><span style=\"color:#aaaaaa;\">u</span><span "
               "style=\"color:#888;font-style:italic;\">n</span><span "
               "style=\"color:#844;\">+</span><span style=\"color:#484;font-weight:bold;\">-</span>"
            << "arun+-";
        QTest::newRow("plain text trimmed and collapsed")
            << MessageParts{Part::textPart("  a   b  "), Part::textPart(" c ")}
            << "<span>  a   b  </span><span> c </span>"
            << "a b c";
        QTest::newRow("parts of no kind skipped")
            << MessageParts{Part{}, Part::textPart("x")} << "<span>x</span>"
            << "x";
        QTest::newRow("empty line") << MessageParts{} << ""
                                    << "";

        // Viewer and service text is data: nothing in it may become an element or attribute.
        Part hostileImage =
            Part::emote("https://x/\"onerror=\"alert(1)", "<b>", "t\"><script>", "a\"b");
        QTest::newRow("hostile image")
            << MessageParts{hostileImage}
            << "<img src=\"https://x/&quot;onerror=&quot;alert(1)\" class=\"emote a&quot;b\" "
               "title=\"t&quot;&gt;&lt;script&gt;\">"
            << "<b>";
        QTest::newRow("hostile nick and text")
            << MessageParts{badge("vip"), nick("<img src=x onerror=alert(1)>", ggAuthor("\"><i>")),
                            Part::textPart("<img src=\"http://evil/\"> &laquo;'ok'&raquo;")}
            << kTwitchBadge.arg("vip") +
                   "<span class=\"nick goodgame-&quot;&gt;&lt;i&gt;\"><span class=\"user_nick\" "
                   "style=\"color:#30d5c8;\" title=\"Ник: &lt;img src=x onerror=alert(1)&gt;\">"
                   "&lt;img src=x onerror=alert(1)&gt;</span>"
                   "<span>&lt;img src=\"http://evil/\"&gt; &amp;laquo;'ok'&amp;raquo;</span></span>"
            << "[Vip] <img src=x onerror=alert(1)><img src=\"http://evil/\"> &laquo;'ok'&raquo;";
        QTest::newRow("typed entities are shown as typed")
            << MessageParts{Part::textPart("&lt;b&gt; &amp; &")}
            << "<span>&amp;lt;b&amp;gt; &amp;amp; &amp;</span>"
            << "&lt;b&gt; &amp; &";
        Part own = Part::textPart("- канал &laquo;a&amp;b&raquo; <i>");
        own.markup = true;
        QTest::newRow("own text keeps its entities")
            << MessageParts{own} << "<span>- канал &laquo;a&amp;b&raquo; &lt;i&gt;</span>"
            << "- канал &laquo;a&amp;b&raquo; <i>";
        QTest::newRow("hostile colour cannot add declarations")
            << MessageParts{Part::textPart("x", Part::Tone::Author,
                                           "red;background:url(https://evil/)")}
            << "<span style=\"color:redbackgroundurl(httpsevil);\">x</span>"
            << "x";
    }

    void buildHTML() {
        QFETCH(MessageParts, parts);
        QFETCH(QString, html);
        QFETCH(QString, text);
        const BuiltMessage built = Chat::buildHTML(parts);
        QCOMPARE(built.html, html);
        QCOMPARE(built.text, text);
    }

    void plural_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("result");
        const QList<QPair<int, const char *>> cases{
            {0, "0 секунд"},    {1, "1 секунду"},  {2, "2 секунды"},     {5, "5 секунд"},
            {11, "11 секунд"},  {12, "12 секунд"}, {14, "14 секунд"},    {21, "21 секунду"},
            {22, "22 секунды"}, {25, "25 секунд"}, {101, "101 секунду"}, {111, "111 секунду"},
            {3, "3 секунды"},   {-1, "-1 секунду"}};
        for (const auto &[number, result] : cases)
            QTest::newRow(QByteArray::number(number)) << number << QString::fromUtf8(result);
    }

    void plural() {
        QFETCH(int, number);
        QFETCH(QString, result);
        QCOMPARE(::plural(number, "секунду", "секунды", "секунд"), result);
    }

    void showInAlerts_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("withService");
        QTest::addColumn<bool>("voice");
        QTest::addColumn<int>("queued");
        QTest::addColumn<QString>("speech");
        QTest::newRow("voice set") << "{\"alerts\":{\"voice\":\"random\"}}" << true << true << 1
                                   << "Vasya подписался на 2 месяца";
        QTest::newRow("voice setting empty") << "" << true << true << 1 << QString();
        QTest::newRow("alert not to be spoken")
            << "{\"alerts\":{\"voice\":\"alena\"}}" << true << false << 1 << QString();
        QTest::newRow("no service or type")
            << "{\"alerts\":{\"voice\":\"alena\"}}" << false << true << 0 << QString();
    }

    void showInAlerts() {
        QFETCH(QString, settings);
        QFETCH(bool, withService);
        QFETCH(bool, voice);
        QFETCH(int, queued);
        QFETCH(QString, speech);
        ChatRig rig(settings);
        AlertMessage message;
        message.items = {badge("twitch"),
                         MessagePart::textPart("Vasya", MessagePart::Tone::Author, "#f00"),
                         MessagePart::textPart(" подписался на  2 месяца")};
        if (withService) {
            message.service = "Twitch";
            message.type = "subscription";
        }
        message.level = 2;
        message.voice = voice;
        message.mail = QString();

        rig.chat.showInAlerts(message);

        QCOMPARE(rig.alertView.scripts.size(), 1);
        QCOMPARE(rig.chatView.scripts.size(), 1);
        QVERIFY(rig.chatView.scripts.first().contains("addMessage('<div class=\"alert\">%3Cimg"));
        QVERIFY(!rig.alertView.scripts.first().contains("<div"));
        const QByteArray line("[2024-05-01 12:00:00] [Twitch] Vasya подписался на 2 месяца\n");
        QCOMPARE(rig.logBytes("event"), line);
        QCOMPARE(rig.logBytes("chat"), line);
        QCOMPARE(rig.alerts.QUEUE().size(), queued);
        if (!queued)
            return;
        const AlertRecord &record = rig.alerts.QUEUE().first();
        QCOMPARE(record.service, QStringLiteral("Twitch"));
        QCOMPARE(record.type, QStringLiteral("subscription"));
        QCOMPARE(record.level, std::optional<int>(2));
        QCOMPARE(record.text.has_value(), !speech.isNull());
        QCOMPARE(record.text.value_or(QString()), speech);
        QVERIFY(!record.speech.has_value());
        QVERIFY(record.mail.has_value() && record.mail->isNull());
    }

    void emptyAlertIsNotShown() {
        ChatRig rig;
        AlertMessage message;
        message.service = "Goodgame";
        message.type = "premium";
        rig.chat.showInAlerts(message);
        QVERIFY(rig.alertView.scripts.isEmpty() && rig.chatView.scripts.isEmpty());
        QVERIFY(rig.alerts.QUEUE().isEmpty());
        QCOMPARE(rig.logBytes("event"), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestChat)
#include "tst_chat.moc"
