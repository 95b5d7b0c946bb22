#pragma once

#include "model/page.h"

#include <QStringList>

// A page that only remembers the scripts it was asked to run.
class RecordingPage final : public Page {
public:
    void run(const QString &script) override { scripts << script; }
    QStringList scripts;
};
