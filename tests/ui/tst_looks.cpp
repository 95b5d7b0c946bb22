#include "fakes/freeport.h"

#include <QImage>
#include <QtTest>
#include <algorithm>
#include <optional>

namespace {
// Where one run of the probe leaves its pictures.
QString folder(const QString &graph) {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/looks/") + graph;
}

QString readNote(const QString &graph, const QString &name) {
    QFile file(folder(graph) + QLatin1Char('/') + name + QStringLiteral(".txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Draws the window in a child process, the renderer variable set to `backend` or left unset.
int draw(const QString &graph, const std::optional<QString> &backend, quint16 ircPort) {
    QDir(folder(graph)).removeRecursively();
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QUICK_BACKEND"));
    env.remove(QStringLiteral("QMLSCENE_DEVICE"));
    if (backend)
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), *backend);
    probe.setProcessEnvironment(env);
    probe.setProcessChannelMode(QProcess::ForwardedChannels);
    probe.start(QStringLiteral(KESTRO_LOOK_PROBE), {folder(graph), QString::number(ircPort)});
    if (!probe.waitForFinished(180000)) {
        probe.kill();
        probe.waitForFinished();
        return -1000;
    }
    return probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -2000;
}

// Where two pictures differ to the eye, in 4×4 blocks whose mean colour differs by more than
// a shade in any channel. Anti-aliased text and a button's shadow make scattered blocks and
// thin lines; a missing fill makes a solid area.
struct Difference {
    double share = 0;   // of the blocks that differ
    int solidSpots = 0; // 8×8 squares of differing blocks
};

Difference differenceOf(const QImage &one, const QImage &other) {
    constexpr int kBlock = 4;
    constexpr int kShade = 24;
    const QImage a = one.convertToFormat(QImage::Format_RGB32);
    const QImage b = other.convertToFormat(QImage::Format_RGB32);
    const int columns = a.width() / kBlock;
    const int rows = a.height() / kBlock;
    QVector<bool> differs(columns * rows);
    int differing = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            int sum[3] = {};
            for (int y = row * kBlock; y < (row + 1) * kBlock; ++y) {
                for (int x = column * kBlock; x < (column + 1) * kBlock; ++x) {
                    const QRgb pa = a.pixel(x, y);
                    const QRgb pb = b.pixel(x, y);
                    sum[0] += qRed(pa) - qRed(pb);
                    sum[1] += qGreen(pa) - qGreen(pb);
                    sum[2] += qBlue(pa) - qBlue(pb);
                }
            }
            const bool far = std::any_of(std::begin(sum), std::end(sum), [](int channel) {
                return std::abs(channel) > kShade * kBlock * kBlock;
            });
            differs[row * columns + column] = far;
            differing += far;
        }
    }
    Difference difference;
    difference.share = double(differing) / std::max(1, columns * rows);
    for (int row = 0; row + 1 < rows; ++row) {
        for (int column = 0; column + 1 < columns; ++column) {
            difference.solidSpots +=
                differs[row * columns + column] && differs[row * columns + column + 1] &&
                differs[(row + 1) * columns + column] && differs[(row + 1) * columns + column + 1];
        }
    }
    return difference;
}

// The share of the start button's inner pixels that are of the hue asked for.
double shareOfHue(const QImage &picture, const QRect &box, bool red) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRect inner = box.adjusted(3, 3, -3, -3);
    int matching = 0;
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        for (int x = inner.left(); x <= inner.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const bool green = qGreen(p) > qRed(p) + 30 && qGreen(p) > qBlue(p) + 30;
            const bool reddish = qRed(p) > qGreen(p) + 50 && qRed(p) > qBlue(p) + 50;
            matching += red ? reddish : green;
        }
    }
    return double(matching) / (inner.width() * inner.height());
}
} // namespace

// The window under Qt Quick's software scene graph (what Xvfb and every machine without a GPU
// get) looks as it does on OpenGL: every tab, every state that changes a colour.
class TestLooks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const quint16 ircPort = freePort();
        QCOMPARE(draw(QStringLiteral("default"), std::nullopt, ircPort), 0);
        QCOMPARE(readNote(QStringLiteral("default"), QStringLiteral("backend")),
                 QStringLiteral("software"));
        QCOMPARE(draw(QStringLiteral("opengl"), QString(), ircPort), 0);
        QCOMPARE(readNote(QStringLiteral("opengl"), QStringLiteral("backend")),
                 QStringLiteral("opengl"));
    }

    void softwareLooksLikeOpenGl_data() {
        QTest::addColumn<QString>("picture");
        for (const char *name :
             {"tab-0", "tab-1", "tab-2", "tab-3", "tab-4", "services-stopped", "services-running",
              "services-code", "services-logged-in", "alerts-test", "events-test"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void softwareLooksLikeOpenGl() {
        QFETCH(QString, picture);
        const QImage software(folder(QStringLiteral("default")) + '/' + picture + ".png");
        const QImage opengl(folder(QStringLiteral("opengl")) + '/' + picture + ".png");
        QVERIFY(!software.isNull() && !opengl.isNull());
        QCOMPARE(software.size(), opengl.size());
        const Difference difference = differenceOf(software, opengl);
        qInfo("%s: %.2f %% of the picture differs, %d solid spots", qPrintable(picture),
              difference.share * 100, difference.solidSpots);
        QCOMPARE(difference.solidSpots, 0);
        QVERIFY(difference.share < 0.005);
    }

    // The start button says the service's state by its colour: green stopped, red running.
    void startButtonColour_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<bool>("red");
        QTest::newRow("stopped") << "services-stopped" << false;
        QTest::newRow("running") << "services-running" << true;
    }
    void startButtonColour() {
        QFETCH(QString, picture);
        QFETCH(bool, red);
        const QStringList box =
            readNote(QStringLiteral("default"), QStringLiteral("start-button")).split(' ');
        QCOMPARE(box.size(), 4);
        const QRect rect(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(),
                         box[3].toDouble());
        const QImage shown(folder(QStringLiteral("default")) + '/' + picture + ".png");
        QVERIFY(shareOfHue(shown, rect, red) > 0.6);
    }
};

QTEST_GUILESS_MAIN(TestLooks)
#include "tst_looks.moc"
