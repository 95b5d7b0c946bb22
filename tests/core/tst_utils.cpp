#include "common/js.h"
#include "fakes/samples.h"
#include "fakes/twitchrig.h"
#include "fakes/tables.h"
#include "services/goodgame/goodgame.h"
#include "settings/chatstyle.h"
#include "settings/lists.h"
#include "settings/settingsform.h"
#include "settings/settingstable.h"
#include "settings/soundslots.h"
#include "settings/utils.h"

#include <QColor>
#include <QMetaProperty>
#include <QSet>
#include <QtTest>

namespace {
Rgb rgb(const QColor &color) {
    return {color.redF(), color.greenF(), color.blueF()};
}
} // namespace

// The settings with both services' fields and slots in them.
struct UtilsRig : TwitchRig {
    explicit UtilsRig(const QString &stored = {})
        : TwitchRig(QUrl(QStringLiteral("http://127.0.0.1:9")), stored) {}
    QString settings() const { return qstr(utils.currentSettings().dump()); }
    Goodgame goodgame{ServiceDeps{sink, utils, logger, http, endpoints, clock, random}};
};

class TestUtils : public QObject {
    Q_OBJECT
private slots:
    void defaultsInStoredKeyOrder() {
        UtilsRig rig("");
        QCOMPARE(rig.settings().toUtf8(), testData("default-settings.json"));
        QCOMPARE(qstr(rig.utils.defaultSettings().dump()).toUtf8(),
                 testData("default-settings.json"));
    }

    void loadFillsMissingKeys_data() {
        addTableRows("settings-loads.tsv", {"stored", "path", "value"});
    }

    void loadFillsMissingKeys() {
        QFETCH(QString, stored);
        QFETCH(QString, path);
        QFETCH(QString, value);
        if (value == QLatin1String("default"))
            value = fixtureValue(qPrintable(path));
        UtilsRig rig(stored);
        const Json pointer = rig.utils.currentSettings().at(Json::json_pointer(stdstr(path)));
        QCOMPARE(qstr(pointer.dump()), value);
        QCOMPARE(qstr(rig.utils.currentSettings().at("services").dump()),
                 fixtureValue("/services"));
    }

    // An alert record of each slot's kind finds the slot, and its file is stored under the
    // slot's key.
    void soundSlotsAgreeEverywhere() {
        UtilsRig rig;
        QCOMPARE(rig.utils.soundSlots().size(), 14);
        for (const SoundSlot &slot : rig.utils.soundSlots()) {
            rig.utils.form().sounds.insert(QLatin1String(slot.name), QLatin1String(slot.name));
            const std::optional<int> level =
                slot.level < 0 ? std::nullopt : std::optional<int>(slot.level);
            QCOMPARE(rig.utils.soundSlotFor(slot.service, slot.type, level), &slot);
            QCOMPARE(rig.utils.soundSlot(slot.name), &slot);
        }
        rig.utils.saveConfig();
        const Json stored = parseJson(rig.config.get());
        for (const SoundSlot &slot : rig.utils.soundSlots())
            QCOMPARE(jsString(stored.at(Json::json_pointer(soundPointer(slot)))),
                     QLatin1String(slot.name));
    }

    // A field is stored shortly after it is edited (not at each key), never before
    // the controls hold the settings; at quit a waiting edit is stored at once.
    void editsAreStoredAsTyped_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("stored");
        QTest::newRow("channel") << QByteArray("fields")
                                 << QVariant(QVariantMap{{"twitchChannel", "kestrotest"}})
                                 << "/services/twitch/channel"
                                 << "\"kestrotest\"";
        QTest::newRow("password") << QByteArray("fields")
                                  << QVariant(QVariantMap{{"goodgamePassword", "p"}})
                                  << "/services/goodgame/password"
                                  << "\"p\"";
        QTest::newRow("volume") << QByteArray("alertVolume") << QVariant(0.5) << "/alerts/volume"
                                << "0.5";
        QTest::newRow("words") << QByteArray("hlWords") << QVariant("Nick")
                               << "/view/addressed/words"
                               << "[\"nick\"]";
    }

    void editsAreStoredAsTyped() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QString, path);
        QFETCH(QString, stored);
        UtilsRig rig;
        SettingsForm &f = rig.utils.form();
        f.setProperty(property, value);
        emit f.changed();
        rig.utils.savePending();
        QCOMPARE(rig.config.get(), QString());

        rig.utils.initServices();
        QCOMPARE(rig.config.get(), QString());
        for (int i = 0; i < 3; ++i) {
            f.setProperty(property, value);
            emit f.changed();
        }
        QCOMPARE(rig.config.get(), QString());
        QTRY_VERIFY(!rig.config.get().isEmpty());
        const auto valueAt = [&] {
            return qstr(parseJson(rig.config.get()).at(Json::json_pointer(stdstr(path))).dump());
        };
        QCOMPARE(valueAt(), stored);

        f.setProperty(property, QVariant());
        emit f.changed();
        rig.utils.savePending();
        QVERIFY(valueAt() != stored);
    }

    // A save that cannot reach the disk is said once, and again after a later success fails.
    void failedSaveIsReportedOnce() {
        SettingsRig rig;
        QSignalSpy failed(&rig.utils, &Utils::saveFailed);
        // Nothing can replace a directory, not even as root.
        QFile::remove(rig.dir.file("config/settings.json"));
        QDir().mkpath(rig.dir.file("config/settings.json"));
        rig.utils.saveConfig();
        rig.utils.saveConfig();
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.at(0).at(0).toString().startsWith(
            QStringLiteral("Не удалось сохранить настройки: ")));
        QCOMPARE(rig.log("error").size(), 1);
        QVERIFY(rig.log("error").at(0).startsWith(
            QStringLiteral("ОШИБКА: не удалось сохранить настройки: ")));

        QDir(rig.dir.file("config/settings.json")).removeRecursively();
        rig.utils.saveConfig();
        QVERIFY(rig.config.get().startsWith(QLatin1Char('{')));
        QFile::remove(rig.dir.file("config/settings.json"));
        QDir().mkpath(rig.dir.file("config/settings.json"));
        rig.utils.saveConfig();
        QCOMPARE(failed.size(), 2);
        QCOMPARE(rig.log("error").size(), 2);
    }

    void brokenFileIsKeptAside_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("not json") << "{\"alerts\":";
        QTest::newRow("not a record") << "[1,2]";
        QTest::newRow("a number") << "42";
        QTest::newRow("nested past the limit") << "{\"a\":" + QString(100000, QLatin1Char('[')) +
                                                      QString(100000, QLatin1Char(']')) + "}";
    }

    void brokenFileIsKeptAside() {
        QFETCH(QString, stored);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("settings.json"));
        UtilsRig rig(stored);
        QCOMPARE(rig.settings().toUtf8(), testData("default-settings.json"));
        QCOMPARE(rig.log("error"), QStringList{"ОШИБКА: settings.json не является записью JSON; "
                                               "он сохранён как settings.json.broken, взяты "
                                               "настройки по умолчанию"});
        QCOMPARE(rig.dir.read("config/settings.json.broken"), stored.toUtf8());
        QCOMPARE(rig.config.get(), QString());
        // A later broken file replaces the older copy.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("settings.json"));
        rig.load(QStringLiteral("{broken again"));
        QCOMPARE(rig.dir.read("config/settings.json.broken"), QByteArray("{broken again"));
    }

    // The controls start at the table's defaults, before and after the settings are loaded.
    void defaultsSurviveARoundTrip() {
        UtilsRig rig("");
        rig.utils.saveConfig();
        const QString beforeLoad = rig.config.get();
        rig.utils.initServices();
        QVERIFY(rig.utils.LOADED().services);
        rig.utils.saveConfig();
        // An empty words text is one empty line.
        QCOMPARE(rig.config.get().toUtf8(),
                 testData("default-settings.json").replace("\"words\":[]", "\"words\":[\"\"]"));
        QCOMPARE(beforeLoad, rig.config.get());
        // Filled once: a second call leaves what the user typed since.
        rig.utils.form().setField("twitchNick", "typed");
        rig.utils.initServices();
        QCOMPARE(rig.utils.form().field("twitchNick"), QStringLiteral("typed"));
    }

    // A misspelt property would be set as a dynamic one and never stored: every row names a
    // control's property, and every control but the derived preview size has a row.
    void everyControlHasOneRow() {
        UtilsRig rig;
        const SettingsForm &form = rig.utils.form();
        QSet<QByteArray> named;
        QSet<QString> entries;
        for (const SettingRow &row : rig.utils.rows()) {
            QVERIFY2(form.metaObject()->indexOfProperty(row.property) >= 0, row.property);
            const QString name = row.property + '.' + row.entry;
            QVERIFY2(!entries.contains(name), qPrintable(name));
            entries << name;
            named << row.property;
        }
        const QMetaObject *meta = form.metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QByteArray name = meta->property(i).name();
            QVERIFY2(named.contains(name) || name == "chatFontSize", name);
        }
    }

    void storedValuesReachTheForm() {
        UtilsRig rig(
            R"({"services":{"twitch":{"port":"6697","channel":"Chan"}},"view":{"chat":)"
            R"({"size":20,"font":{"name":"Lora","type":"serif"},"animation":"animFromLeft"},)"
            R"("addressed":{"words":["a,b","c"]}},"alerts":{"volume":0.3,"voice":"ermil",)"
            R"("twitch":{"raid":"sounds/r.ogg"}}})");
        const QString stored = rig.config.get();
        rig.utils.initServices();
        QCOMPARE(rig.config.get(), stored);
        const SettingsForm &form = rig.utils.form();
        QCOMPARE(form.field("twitchPort"), QStringLiteral("6697"));
        QCOMPARE(form.field("twitchChannel"), QStringLiteral("Chan"));
        QCOMPARE(form.chatFontSize, 20);
        QCOMPARE(form.sizeIndex, 8);
        QCOMPARE(fontList().at(form.fontIndex).text, QStringLiteral("Lora"));
        QCOMPARE(form.animationIndex, 8);
        QCOMPARE(form.hlWords, QStringLiteral("a,b\nc"));
        QCOMPARE(form.alertVolume, 0.3);
        QCOMPARE(form.voiceIndex, 6);
        QCOMPARE(form.sounds.value("raid").toString(), QStringLiteral("sounds/r.ogg"));
        rig.utils.saveConfig();
        QCOMPARE(rig.utils.currentSettings(), parseJson(rig.config.get()));
        QCOMPARE(jsonAt(rig.utils.currentSettings(), {"view", "addressed", "words"}),
                 Json({"a,b", "c"}));
    }

    void saveFallsBackForListHeadings_data() {
        QTest::addColumn<int>("fontIndex");
        QTest::addColumn<int>("sizeIndex");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("saved");
        QTest::newRow("heading font, no size")
            << 48 << 99 << ""
            << R"({"name":"Marmelad","type":"sans-serif"} 16 [""])";
        QTest::newRow("a serif font")
            << 49 << 0 << " Streamer \n\nNICK"
            << R"({"name":"Alegreya","type":"serif"} 12 ["streamer","","nick"])";
    }

    void saveFallsBackForListHeadings() {
        QFETCH(int, fontIndex);
        QFETCH(int, sizeIndex);
        QFETCH(QString, words);
        QFETCH(QString, saved);
        UtilsRig rig("");
        rig.utils.form().fontIndex = fontIndex;
        rig.utils.form().sizeIndex = sizeIndex;
        rig.utils.form().hlWords = words;
        rig.utils.saveConfig();
        const Json &stored = rig.utils.currentSettings();
        QCOMPARE(qstr(jsonAt(stored, {"view", "chat", "font"}).dump()) + ' ' +
                     qstr(jsonAt(stored, {"view", "chat", "size"}).dump()) + ' ' +
                     qstr(jsonAt(stored, {"view", "addressed", "words"}).dump()),
                 saved);
    }

    // A stored value finds its row of the list; what no row holds falls back to the first.
    void listIndexes_data() {
        addTableRows("list-indexes.tsv", {"list", "value", "index"});
    }

    void listIndexes() {
        QFETCH(QString, list);
        QFETCH(QString, value);
        QFETCH(QString, index);
        const Json wanted = parseJson(value);
        const int found = list == "font"        ? findFontIndex(wanted)
                          : list == "size"      ? findSizeIndex(wanted)
                          : list == "animation" ? findAnimationIndex(wanted)
                                                : findVoiceIndex(wanted);
        QCOMPARE(found, index.toInt());
    }

    // A colour from the dialogs becomes the same #rrggbb; a half is cut down, not rounded up.
    void convertToCSSRoundTripsEveryByte() {
        QCOMPARE(convertToCSS({0.5, 0.5, 0.5}), QStringLiteral("#7f7f7f"));
        for (int value = 0; value < 256; ++value) {
            const QString text = QStringLiteral("#%1%2%3")
                                     .arg(value, 2, 16, QLatin1Char('0'))
                                     .arg(255 - value, 2, 16, QLatin1Char('0'))
                                     .arg(value / 2, 2, 16, QLatin1Char('0'));
            QCOMPARE(convertToCSS(rgb(QColor(text))), text);
        }
    }

    void isAddressedText_data() {
        addTableRows("addressed-text.tsv", {"words", "text", "addressed"});
    }

    void isAddressedText() {
        QFETCH(QString, words);
        QFETCH(QString, text);
        QFETCH(QString, addressed);
        UtilsRig rig("{\"view\":{\"addressed\":{\"words\":" + words + "}}}");
        QCOMPARE(::isAddressedText(rig.utils, text), addressed == QLatin1String("yes"));
    }

private:
    static QString fixtureValue(const char *path) {
        return qstr(Json::parse(testData("default-settings.json").toStdString())
                        .at(Json::json_pointer(path))
                        .dump());
    }
};

QTEST_GUILESS_MAIN(TestUtils)
#include "tst_utils.moc"
