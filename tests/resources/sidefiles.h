#pragma once
// Where the build put the side files.
#include <QString>

inline QString sideFile(const QString& name) {
    return qEnvironmentVariable("CANDLEWISE_PROGRAM_DIR") + u'/' + name;
}
