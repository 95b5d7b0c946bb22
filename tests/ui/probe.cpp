// Runs Kestro's start-up with the main document named on the command line, so a test can
// hand it broken or probing documents.
#include "startup.h"

#include <QUrl>

int main(int argc, char *argv[]) {
    const QUrl mainUrl = QUrl::fromUserInput(QString::fromLocal8Bit(argc > 1 ? argv[1] : ""));
    return runKestro(argc, argv, mainUrl);
}
