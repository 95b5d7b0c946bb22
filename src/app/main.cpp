#include "startup.h"

#include <QUrl>

int main(int argc, char *argv[]) {
    return runKestro(argc, argv, QUrl(QStringLiteral("qrc:/main.qml")));
}
