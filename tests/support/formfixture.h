#pragma once

#include "app/tform1.h"
#include "support/filebytes.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// A main window started in a folder of its own, with a given settings file, command line and
// port list.
struct FormFixture
{
    QTemporaryDir dir;

    QString iniPath() const { return dir.filePath(QStringLiteral("TavixConfig.ini")); }
    QString logPath() const { return dir.filePath(QStringLiteral("Log.txt")); }

    std::unique_ptr<TForm1> start(const QStringList &arguments,
                                  const QStringList &ports = {QStringLiteral("/dev/ttyS0")},
                                  const QByteArray &ini = QByteArray())
    {
        if (!ini.isNull())
            writeBytes(iniPath(), ini);
        StartOptions options;
        options.programDir = dir.path();
        options.arguments = arguments;
        options.listPorts = [ports] {
            return ports;
        };
        return std::make_unique<TForm1>(options);
    }
};
