#include "datadir.h"

#include <QStandardPaths>

QString defaultDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}
